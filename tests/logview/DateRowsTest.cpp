#include <gtest/gtest.h>

#include <filesystem>

#include "../TestSupport.h"

namespace {

// The rows window of the table in the last message that carried one.
nlohmann::json LastWindow(const brixtest::Viewer::Browser& b) {
    const std::string id = b.page().lbData->ControlID();
    nlohmann::json window;
    for (const auto& m : brixtest::Parse(b.channel->Messages()))
        for (const auto& c : m.value("controls", nlohmann::json::array()))
            if (c.value("id", "") == id && c.contains("rows")) window = c["rows"];
    return window;
}

}  // namespace

// A date's rows are read from the log only when they are sent, by seeking into its run:
// every window, wherever it lies, holds exactly the rows of those lines.
TEST(DateRows, EveryWindowOfAHugeDateHoldsExactlyItsLinesAndTheStreamKeepsNoBuffer) {
    constexpr int kLines = 5000;
    const char* terminators[] = {"\n", "\r\n", "\r"};
    std::string log = "Date,N,Q,X\n";
    for (int i = 0; i < kLines; ++i)
        log += "A," + std::to_string(i) + ",\"q" + std::to_string(i) + "\",x" + terminators[i % 3];
    log += "B,end\n";
    brixtest::TempRoot root;
    root.WriteLog(log);
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    pgLog& page = browser.page();
    EXPECT_LT(page.logStream->BufferedCapacity(), 1024u) << "an idle page holds its stream's place, not a buffer";
    viewer.Select(browser, 0);
    ASSERT_EQ(page.lbData->RowCount(), kLines);

    for (const int first : {0, 1023, 1024, 1025, 2500, 4999, 1, 3333}) {
        viewer.harness.Raise(*browser.session, "lbData", "Rows", std::to_string(first));
        const auto window = LastWindow(browser);
        ASSERT_EQ(window["first"], first);
        ASSERT_EQ(window["count"], kLines);
        const auto& cells = window["cells"];
        ASSERT_FALSE(cells.empty());
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const std::string n = std::to_string(first + static_cast<int>(k));
            ASSERT_EQ(cells[k], (nlohmann::json{n, "q" + n, "x"})) << "row " << n;
        }
        EXPECT_LT(page.logStream->BufferedCapacity(), 1024u);
    }
    EXPECT_EQ(page.lbData->Cell(4321, 1), "q4321");

    // The file lost its end since the index pass: those rows come empty, the others stay.
    std::filesystem::resize_file(root.LogPath(), log.find("A,4000,"));
    viewer.harness.Raise(*browser.session, "lbData", "Rows", "3990");
    const auto window = LastWindow(browser);
    EXPECT_EQ(window["cells"][9], (nlohmann::json{"3999", "q3999", "x"}));
    EXPECT_EQ(window["cells"][10], nlohmann::json::array());
}
