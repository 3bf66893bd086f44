#include <gtest/gtest.h>

#include "platform/web/ListRows.h"

using platform::ListRows;

TEST(ListRows, KeepsEachCellApartAndCutsRowsToTheColumns) {
    ListRows rows;
    rows.Add({"2026-01-01", "", "a,b", std::string("x\0y", 3)}, 4);
    rows.Add({"1", "2", "3", "dropped"}, 3);
    rows.Add({}, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.Cell(0, 0), "2026-01-01");
    EXPECT_EQ(rows.Cell(0, 1), "");
    EXPECT_EQ(rows.Cell(0, 2), "a,b");
    EXPECT_EQ(rows.Cell(0, 3), std::string_view("x\0y", 3));
    EXPECT_EQ(rows.CellCount(1), 3u);
    EXPECT_EQ(rows.Cell(1, 2), "3");
    EXPECT_EQ(rows.Cell(1, 3), "") << "a cell the row does not have reads as empty";
    EXPECT_EQ(rows.Cell(2, 0), "");

    rows.Truncate(1);
    EXPECT_EQ(rows.CellCount(0), 1u);
    EXPECT_EQ(rows.Cell(0, 0), "2026-01-01");
    EXPECT_EQ(rows.Cell(1, 0), "1");
    EXPECT_EQ(rows.Cell(1, 1), "");

    rows.Clear();
    EXPECT_TRUE(rows.empty());
    rows.Add({"again"}, 1);
    EXPECT_EQ(rows.Cell(0, 0), "again");
}
