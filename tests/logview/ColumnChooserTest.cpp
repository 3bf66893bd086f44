#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "../TestSupport.h"
#include "logview/LineFields.h"
#include "logview/ccColCheck.h"

namespace {

std::vector<ccColCheck*> Checks(pgLog& page) {
    std::vector<ccColCheck*> checks;
    for (platform::WebControl* c : page.ccGroup->Children()) checks.push_back(dynamic_cast<ccColCheck*>(c));
    return checks;
}

// The Set-Cookie headers that the browser was told to fetch, in order.
std::vector<std::string> SetCookies(brixtest::Viewer& viewer, const brixtest::Viewer::Browser& b) {
    std::vector<std::string> headers;
    for (const auto& args : brixtest::Commands(b.channel->Messages(), "cookie")) {
        const std::string& url = args[0];
        const auto t = url.find("&t=");
        const auto response =
            viewer.harness.Get("/_cookie", {{"s", b.session->Identifier()}, {"t", url.substr(t + 3)}});
        for (const auto& [name, value] : response.headers)
            if (name == "Set-Cookie") headers.push_back(value);
    }
    return headers;
}

void Toggle(brixtest::Viewer& viewer, brixtest::Viewer::Browser& b, ccColCheck& check, bool value) {
    viewer.harness.Message(*b.session, std::string(R"({"t":"event","name":"ValueChanged","id":")") +
                                           check.cbCol->ControlID() + "\",\"value\":" + (value ? "true" : "false") +
                                           "}");
}

}  // namespace

TEST(ColumnChooser, OneBoxPerColumnButTheFirstStackedAtAPitchOfFifty) {
    brixtest::TempRoot root;
    root.WriteLog("D,Time,Brix,Temp\nA,1,2,3\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    auto checks = Checks(browser.page());
    ASSERT_EQ(checks.size(), 19u);
    for (int i = 1; i <= 19; ++i) {
        const ccColCheck& check = *checks[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(check.col, i);
        EXPECT_EQ(std::make_tuple(check.Left(), check.Top(), check.Width(), check.Height()),
                  std::make_tuple(10, 50 * i - 30, 200, 40));
        EXPECT_TRUE(check.LockLeft() && check.LockTop() && check.LockRight() && !check.LockBottom());
        EXPECT_EQ(check.cbCol->Caption(), browser.page().lbData->Heading(i));
        EXPECT_EQ(std::make_tuple(check.cbCol->Left(), check.cbCol->Top(), check.cbCol->Width(), check.cbCol->Height()),
                  std::make_tuple(8, 5, 160, 40));
        EXPECT_EQ(check.cbCol->Cursor(), platform::cursor::Arrow);
        EXPECT_TRUE(check.cbCol->Value());
    }
    EXPECT_EQ(checks[0]->cbCol->Caption(), "Brix");
    EXPECT_EQ(checks[2]->cbCol->Caption(), "Column 3") << "placeholders past the log's heading";

    // They reach the browser as new controls inside the group, after the first paint.
    const auto messages = brixtest::Parse(browser.channel->Messages());
    ASSERT_GE(messages.size(), 2u);
    int added = 0;
    for (const auto& c : messages[1]["controls"]) added += c.value("kind", "") == "container";
    EXPECT_EQ(added, 19);
}

TEST(ColumnChooser, OnlyACookieOfExactlyZeroHidesAColumn) {
    struct Case {
        const char* cookie;  // as the browser sends it, "" for none
        bool shown;
    };
    for (const auto& c : std::vector<Case>{{"ColBrix=0", false},
                                           {"ColBrix=*", true},
                                           {"ColBrix=", true},
                                           {"", true},
                                           {"ColBrix=00", true},
                                           {"ColBrix=%200", true},
                                           {"colbrix=0", true}}) {
        brixtest::TempRoot root;
        root.WriteLog("D,Time,Brix\nA,1,2\n");
        brixtest::Viewer viewer;
        auto browser = viewer.Open(c.cookie);
        const auto& table = *browser.page().lbData;
        EXPECT_EQ(table.ColumnWidth(1), c.shown ? "*" : "0") << c.cookie;
        EXPECT_EQ(Checks(browser.page())[0]->cbCol->Value(), c.shown) << c.cookie;
        EXPECT_EQ(table.ColumnWidth(0), "100");
        const auto cookies = SetCookies(viewer, browser);
        ASSERT_EQ(cookies.size(), c.shown ? 19u : 18u) << c.cookie;
        const bool rewritten = cookies[0].rfind("ColBrix=*;", 0) == 0;
        EXPECT_EQ(rewritten, c.shown) << c.cookie << ": " << cookies[0];
    }
}

TEST(ColumnChooser, CookiesAreNamedByHeadingAndLastNinetyDays) {
    brixtest::TempRoot root;
    root.WriteLog("D,Time,B,B,,Temp °C; a=b\nA,1\n");
    brixtest::Viewer viewer;
    auto browser = viewer.Open("ColB=0; ColTime=0; Col=0");
    pgLog& page = browser.page();
    auto checks = Checks(page);
    EXPECT_EQ(page.lbData->ColumnWidth(0), "100") << "column 0 has no box and ignores its cookie";
    // Two columns with one heading share the cookie; an empty heading is the name "Col".
    EXPECT_EQ(page.lbData->ColumnWidth(1), "0");
    EXPECT_EQ(page.lbData->ColumnWidth(2), "0");
    EXPECT_EQ(page.lbData->ColumnWidth(3), "0");
    EXPECT_FALSE(checks[0]->cbCol->Value());
    EXPECT_FALSE(checks[1]->cbCol->Value());
    EXPECT_EQ(checks[2]->cbCol->Caption(), "");
    EXPECT_EQ(page.lbData->ColumnWidth(4), "*");

    browser.channel->TakeMessages();
    const auto before = std::chrono::system_clock::now();
    Toggle(viewer, browser, *checks[3], false);
    EXPECT_EQ(page.lbData->ColumnWidth(4), "0");
    EXPECT_EQ(page.lbData->ColumnWidth(5), "*") << "only that column changes";
    const auto cookies = SetCookies(viewer, browser);
    ASSERT_EQ(cookies.size(), 1u);
    const std::string prefix = "ColTemp%20%C2%B0C%3B%20a%3Db=0; Expires=";
    ASSERT_EQ(cookies[0].rfind(prefix, 0), 0u) << cookies[0];
    EXPECT_NE(cookies[0].find("; Path=/"), std::string::npos);
    EXPECT_EQ(cookies[0].find("Secure"), std::string::npos);
    EXPECT_EQ(cookies[0].find("HttpOnly"), std::string::npos);

    std::tm expires{};
    const std::string date = cookies[0].substr(prefix.size(), 29);
    ASSERT_NE(strptime(date.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &expires), nullptr) << date;
    const auto expiry = std::chrono::system_clock::from_time_t(timegm(&expires));
    const auto ahead = std::chrono::duration_cast<std::chrono::seconds>(expiry - before).count();
    EXPECT_NEAR(static_cast<double>(ahead), 7776000.0, 3.0);

    // Ticking it again shows it and writes "*"; the session reads back what it wrote.
    Toggle(viewer, browser, *checks[3], true);
    EXPECT_EQ(page.lbData->ColumnWidth(4), "*");
    EXPECT_EQ(browser.session->Cookies().Value("ColTemp °C; a=b"), "*");
}

TEST(ColumnChooser, WithoutALogTheBoxesUseThePlaceholderHeadings) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto browser = viewer.Open("ColColumn 5=0");
    auto checks = Checks(browser.page());
    ASSERT_EQ(checks.size(), 19u);
    for (int i = 1; i <= 19; ++i)
        EXPECT_EQ(checks[static_cast<std::size_t>(i - 1)]->cbCol->Caption(), "Column " + std::to_string(i));
    EXPECT_EQ(browser.page().lbData->ColumnWidth(5), "0");
}

// A hostile heading of thousands of fields gets the table's cap of columns and boxes, and
// costs what a real log's does per column.
TEST(ColumnChooser, AHeadingOfThousandsOfFieldsIsCutToTheCap) {
    std::string log = "Date";
    for (int i = 0; i < 5000; ++i) log += ",H" + std::to_string(i);
    log += "\nA";
    for (int i = 0; i < 5000; ++i) log += "," + std::to_string(i);
    log += "\n";
    brixtest::TempRoot root;
    root.WriteLog(log);
    brixtest::Viewer viewer;
    testing::internal::CaptureStderr();
    auto browser = viewer.Open();
    const std::string said = testing::internal::GetCapturedStderr();
    pgLog& page = browser.page();
    EXPECT_EQ(page.lbData->ColumnCount(), static_cast<int>(kMostColumns));
    EXPECT_EQ(page.lbData->Heading(static_cast<int>(kMostColumns) - 1), "H255");
    EXPECT_EQ(page.lbData->Cell(0, static_cast<int>(kMostColumns) - 1), "255");
    EXPECT_EQ(brixtest::Commands(browser.channel->Messages(), "cookie").size(), 1u) << "one request for them all";
    EXPECT_EQ(SetCookies(viewer, browser).size(), kMostColumns - 1);
    // Noted once for the process, so a test run before this one may have said it already.
    EXPECT_TRUE(said.empty() || said.find("5000 columns") != std::string::npos) << said;
}
