#include <gtest/gtest.h>

#include "../TestSupport.h"

namespace {

struct Placement {
    const char* name;
    int left, top, width, height;
    bool lockLeft, lockTop, lockRight, lockBottom;
    int zIndex;
    const char* style;
};

}  // namespace

TEST(LogPageLayout, ControlsHaveTheirDesignSettings) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    pgLog& page = browser.page();
    EXPECT_EQ(page.Name(), "pgLog");
    EXPECT_EQ(page.Title(), "KVR Brix Data Log Viewer");
    EXPECT_EQ(std::make_tuple(page.Width(), page.Height(), page.MinWidth(), page.MinHeight()),
              std::make_tuple(1640, 990, 600, 400));
    EXPECT_EQ(page.Style()->Name(), "_DefaultStyle");

    const std::vector<Placement> placements = {
        {"lbDates", 20, 20, 114, 950, true, true, false, true, 1, "_DefaultStyle"},
        {"lbData", 146, 20, 1282, 950, true, true, true, true, 2, "csCentreText"},
        {"btDownload", 1469, 948, 100, 22, false, false, true, true, 3, "_DefaultStyle"},
        {"ccGroup", 1440, 55, 180, 851, false, true, true, true, 4, "_DefaultStyle"},
    };
    for (const auto& p : placements) {
        const platform::WebControl* c = platform::testing::TestHarness::Find(*browser.session, p.name);
        ASSERT_NE(c, nullptr) << p.name;
        EXPECT_EQ(c->Parent(), &page) << p.name;
        EXPECT_EQ(std::make_tuple(c->Left(), c->Top(), c->Width(), c->Height()),
                  std::make_tuple(p.left, p.top, p.width, p.height))
            << p.name;
        EXPECT_EQ(std::make_tuple(c->LockLeft(), c->LockTop(), c->LockRight(), c->LockBottom()),
                  std::make_tuple(p.lockLeft, p.lockTop, p.lockRight, p.lockBottom))
            << p.name;
        EXPECT_EQ(c->ZIndex(), p.zIndex) << p.name;
        EXPECT_EQ(c->Style()->Name(), p.style) << p.name;
        EXPECT_TRUE(c->Visible() && c->Enabled() && !c->LockHorizontal() && !c->LockVertical()) << p.name;
        EXPECT_EQ(c->Cursor(), platform::cursor::Inherit) << p.name;
        EXPECT_EQ(c->HelpTag(), "") << p.name;
    }
    EXPECT_NE(page.lbData->Style(), viewer.app._Styles()[2]) << "the table has a style object of its own";

    const auto& dates = *page.lbDates;
    const auto& data = *page.lbData;
    EXPECT_EQ(dates.ColumnCount(), 1);
    EXPECT_EQ(dates.ColumnWidths(), "*");
    EXPECT_EQ(data.ColumnCount(), 20);
    EXPECT_EQ(data.ColumnWidth(0), "100");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(data.Heading(i), "Column " + std::to_string(i));
    for (int i = 1; i < 20; ++i) EXPECT_EQ(data.ColumnWidth(i), "*");
    for (const auto* list : {&dates, &data}) {
        EXPECT_TRUE(list->HasHeading());
        EXPECT_EQ(list->PrimaryRowColor(), 0xFFFFFF);
        EXPECT_EQ(list->AlternateRowColor(), 0xEDF3FE);
        EXPECT_EQ(list->MinimumRowHeight(), 22);
        EXPECT_EQ(list->ListIndex(), -1);
        EXPECT_EQ(list->HeaderStyle()->Name(), "_DefaultStyle");
    }
    EXPECT_FALSE(dates.Multiline());
    EXPECT_TRUE(data.Multiline());
    EXPECT_EQ(page.btDownload->Caption(), "Download Log");
    EXPECT_FALSE(page.btDownload->AutoDisable());
    EXPECT_EQ(page.ccGroup->ScrollbarsVisible(), 0);
}

TEST(LogPageLayout, AFailingOpenHandlerStillYieldsABuiltPageWithNothingPending) {
    brixtest::TempRoot root;
    std::filesystem::create_directories(root.LogPath());  // opening it fails
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    testing::internal::CaptureStdout();
    viewer.harness.Within(*session, [&] {
        pgLog& page = session->pgLog();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unhandled Exception\n");
        ASSERT_TRUE(page.lbDates && page.lbData && page.btDownload && page.ccGroup);
        EXPECT_EQ(page.Children().size(), 4u);
        for (const platform::WebControl* c : std::vector<const platform::WebControl*>{
                 &page, page.lbDates.get(), page.lbData.get(), page.btDownload.get(), page.ccGroup.get()}) {
            EXPECT_TRUE(c->PendingChanges().empty()) << c->Name();
        }
    });
}

TEST(LogPageLayout, TheGroupClassHasItsDefaults) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    viewer.harness.Within(*session, [&] {
        ccCBGroup group;
        EXPECT_EQ(group.Name(), "ccCBGroup");
        EXPECT_EQ(std::make_tuple(group.Width(), group.Height(), group.ZIndex()), std::make_tuple(166, 702, 1));
        EXPECT_TRUE(group.LockLeft() && group.LockTop() && !group.LockRight() && !group.LockBottom());
        EXPECT_TRUE(group.PendingChanges().empty());
        EXPECT_TRUE(group.Children().empty());
    });
    // Controls belong to sessions: none can be made outside one.
    EXPECT_THROW(ccCBGroup(), platform::UnsupportedOperationException);
}
