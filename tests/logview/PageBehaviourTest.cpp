#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../TestSupport.h"
#include "logview/LineFields.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The first n cells of every row of the table.
Rows Table(const platform::WebListBox& list, int n) {
    Rows rows;
    for (int r = 0; r < list.RowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < n; ++c) cells.emplace_back(list.Cell(r, c));
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::vector<std::string> Dates(const pgLog& page) {
    std::vector<std::string> dates;
    for (int r = 0; r < page.lbDates->RowCount(); ++r) dates.emplace_back(page.lbDates->List(r));
    return dates;
}

std::vector<std::string> Messages(const brixtest::Viewer::Browser& b) {
    std::vector<std::string> texts;
    for (const auto& args : brixtest::Commands(b.channel->Messages(), "msgbox")) texts.push_back(args[0]);
    return texts;
}

}  // namespace

TEST(LogPage, OpensOnTheLastDateAndShowsExactlyTheChosenRun) {
    brixtest::TempRoot root;
    root.WriteLog("Date,X,Y\nA,1,2\nA,3,4\nB,5,6\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    pgLog& page = browser.page();
    EXPECT_EQ(Dates(page), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(page.lbDates->ListIndex(), 1);
    EXPECT_EQ(page.lbDates->Heading(0), "Date");
    EXPECT_EQ(page.lbData->Heading(1), "Y");
    EXPECT_EQ(Table(*page.lbData, 3), (Rows{{"5", "6", ""}}));

    viewer.Select(browser, 0);
    EXPECT_EQ(Table(*page.lbData, 2), (Rows{{"1", "2"}, {"3", "4"}}));
    viewer.Select(browser, 1);
    EXPECT_EQ(Table(*page.lbData, 2), (Rows{{"5", "6"}}));
    EXPECT_TRUE(Messages(browser).empty());
}

TEST(LogPage, FieldsLoseTheirQuotesAndAQuotedCommaSplitsACell) {
    brixtest::TempRoot root;
    root.WriteLog("D,X,Y,Z\nA,\"q\"\"r\",\"s,t\"\n\nA,x\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    viewer.Select(browser, 0);
    EXPECT_EQ(Table(*browser.page().lbData, 3), (Rows{{"qr", "s", "t"}}));
    // The blank line is a run of its own, shown as one row of empty cells.
    viewer.Select(browser, 1);
    EXPECT_EQ(Table(*browser.page().lbData, 3), (Rows{{"", "", ""}}));
}

TEST(LogPage, ChoosingARowOfARepeatedDateShowsThatRowsRun) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\nB,2\nA,3\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    EXPECT_EQ(Dates(browser.page()), (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(Table(*browser.page().lbData, 1), (Rows{{"3"}}));
    viewer.Select(browser, 0);
    EXPECT_EQ(Table(*browser.page().lbData, 1), (Rows{{"1"}}));
}

TEST(LogPage, EveryLineOfARunIsShownIncludingAOneByteLastLine) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\n\n\nB,2\n");  // a run of two blank lines, the second a bare LF
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    viewer.Select(browser, 1);
    EXPECT_EQ(browser.page().lbData->RowCount(), 2);
    viewer.Select(browser, 0);
    EXPECT_EQ(Table(*browser.page().lbData, 1), (Rows{{"1"}})) << "and nothing of the next run";
}

TEST(LogPage, ClearingTheSelectionEmptiesTheTable) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    ASSERT_EQ(browser.page().lbData->RowCount(), 1);
    testing::internal::CaptureStdout();
    viewer.Select(browser, -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "no failure";
    EXPECT_EQ(browser.page().lbData->RowCount(), 0);
}

TEST(LogPage, ColumnsFollowTheHeadingAndRecordsAreCutToTheTable) {
    std::string wide = "D";
    for (int i = 1; i <= 22; ++i) wide += ",H" + std::to_string(i);
    std::string record = "A";
    for (int i = 1; i <= 25; ++i) record += "," + std::to_string(i);
    brixtest::TempRoot root;
    root.WriteLog(wide + "\n" + record + "\nB,1\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    const auto& table = *browser.page().lbData;
    ASSERT_EQ(table.ColumnCount(), 22) << "no field of the log is hidden";
    EXPECT_EQ(table.Heading(21), "H22");
    viewer.Select(browser, 0);
    EXPECT_EQ(table.Cell(0, 21), "22");
    EXPECT_EQ(Table(table, 2), (Rows{{"1", "2"}}));
    viewer.Select(browser, 1);
    EXPECT_EQ(Table(table, 2), (Rows{{"1", ""}})) << "a short line leaves its last cells empty";

    // With the layout's 20 columns a longer record shows data fields 1 to 20 only.
    brixtest::TempRoot narrow;
    narrow.WriteLog("D,X\n" + record + "\n");
    brixtest::Viewer second;
    auto other = second.Open();
    EXPECT_EQ(other.page().lbData->ColumnCount(), 20);
    EXPECT_EQ(other.page().lbData->Cell(0, 19), "20");
}

TEST(LogPage, AHeadingOnlyLogHasNoDatesButItsHeadingsAndADownload) {
    brixtest::TempRoot root;
    root.WriteLog("When,Brix\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    EXPECT_EQ(browser.page().lbDates->RowCount(), 0);
    EXPECT_EQ(browser.page().lbDates->ListIndex(), -1);
    EXPECT_EQ(browser.page().lbData->Heading(0), "Brix");
    EXPECT_EQ(browser.page().lbData->RowCount(), 0);
    EXPECT_NE(viewer.app.webFile.load(), nullptr);
}

TEST(LogPage, WithoutTheDriveOrTheFileTheUserIsToldInOrder) {
    struct Case {
        const char* name;
        bool drive;
        std::vector<std::string> messages;
    };
    for (const auto& c : std::vector<Case>{
             {"no drive", false, {"USB drive not found", "Cannot find the Log file."}},
             {"no file", true, {"Cannot find the Log file."}},
         }) {
        brixtest::TempRoot root;
        if (c.drive) root.MakeDrive();
        brixtest::Viewer viewer;
        auto browser = viewer.Open();
        EXPECT_EQ(Messages(browser), c.messages) << c.name;
        EXPECT_EQ(browser.page().lbDates->RowCount(), 0) << c.name;
        EXPECT_EQ(browser.page().lbData->Heading(0), "Column 0") << c.name;
        EXPECT_EQ(browser.page().lbDates->Heading(0), "") << c.name;
        EXPECT_EQ(viewer.app.webFile.load(), nullptr) << c.name;

        // Download pressed with nothing published: told, not failed.
        testing::internal::CaptureStdout();
        viewer.harness.Raise(*browser.session, "btDownload", "Action");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.name;
        EXPECT_EQ(Messages(browser).back(), "Cannot find the Log file.") << c.name;
        EXPECT_TRUE(brixtest::Commands(browser.channel->Messages(), "url").empty()) << c.name;
    }
}

TEST(LogPage, DownloadIsTheLogAsItWasWhenTheLastPageOpened) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\n");
    brixtest::Viewer viewer;
    auto first = viewer.Open();
    root.AppendLog("B,2\n");
    auto second = viewer.Open();
    root.AppendLog("C,3\n");

    // Lines written after a page opened are not in its index.
    EXPECT_EQ(first.page().lbDates->RowCount(), 1);
    EXPECT_EQ(second.page().lbDates->RowCount(), 2);
    viewer.Select(second, 0);
    viewer.Select(second, 1);
    EXPECT_EQ(Table(*second.page().lbData, 1), (Rows{{"2"}}));

    // Both sessions download the copy that the page opened last published.
    viewer.harness.Raise(*first.session, "btDownload", "Action");
    const auto urls = brixtest::Commands(first.channel->Messages(), "url");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], (std::vector<std::string>{viewer.app.webFile.load()->URL(), "0"}));
    const auto response = viewer.harness.Get(urls[0][0]);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(platform::testing::TestHarness::BodyOf(response), "D,X\nA,1\nB,2\n");
}

TEST(LogPage, AMonstrousLineIsCutAndTheLinesAfterItStayExact) {
    const std::string giant(3 << 20, 'g');  // 3 MiB with no comma: a date and a record at once
    brixtest::TempRoot root;
    root.WriteLog("Date,X\nA," + giant + ",tail\n" + giant + "\nB,1\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    pgLog& page = browser.page();
    const auto dates = Dates(page);
    ASSERT_EQ(dates.size(), 3u);
    EXPECT_EQ(dates[1].size(), kLongestLine) << "the date is read only so far";
    EXPECT_EQ(dates[2], "B");
    EXPECT_EQ(Table(*page.lbData, 1), (Rows{{"1"}}));
    viewer.Select(browser, 0);
    ASSERT_EQ(page.lbData->RowCount(), 1);
    EXPECT_EQ(page.lbData->Cell(0, 0).size(), kLongestLine - 2) << "the record is cut, the date's two bytes included";
    EXPECT_EQ(page.lbData->Cell(0, 1), "") << "what lay past the cut is not shown";
}

TEST(LogPage, ABrowserWaitingForThePageIsToldHowFarTheLogIsRead) {
    std::string log = "D,X\n";
    while (log.size() < (3 << 20)) log += "2026-01-01,12345678901234567890\n";
    brixtest::TempRoot root;
    root.WriteLog(log);
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    const auto messages = brixtest::Parse(browser.channel->Messages());
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0]["t"], "progress");
    EXPECT_GT(messages[0]["done"].get<std::uint64_t>(), 0u);
    EXPECT_EQ(messages[0]["total"].get<std::uint64_t>(), log.size());
    bool painted = false;
    for (const auto& m : messages) {
        EXPECT_FALSE(painted && m["t"] == "progress") << "no progress once the page is there";
        painted = painted || m["t"] == "page";
    }
    EXPECT_TRUE(painted);
}

// A FIFO (or a device) in the log's place must not hold a worker for good: it is refused
// as a log that cannot be read, and the page and the server go on.
TEST(LogPage, AFifoInTheLogsPlaceIsRefusedAsUnreadableAtOnce) {
    brixtest::TempRoot root;
    root.MakeDrive();
    ASSERT_EQ(::mkfifo(root.LogPath().c_str(), 0600), 0);
    brixtest::Viewer viewer;
    testing::internal::CaptureStdout();
    auto browser = viewer.Open();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unhandled Exception\n");
    EXPECT_EQ(brixtest::Commands(browser.channel->Messages(), "error").size(), 1u);
    EXPECT_EQ(browser.page().lbDates->RowCount(), 0);
}
