#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "../TestSupport.h"
#include "app/Current.h"
#include "logview/csCentreText.h"
#include "logview/csRightAlign.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

TEST(App, SettingsAndVersionData) {
    App app;
    StoreVersionData(app);
    EXPECT_EQ(app.Port, 10001);
    EXPECT_EQ(app.SSLPort, 443);
    EXPECT_EQ(app.Mode, 1);
    EXPECT_EQ(app.LaunchMessage, "Launching...");
    EXPECT_EQ(app.HTMLHeader, "");
    EXPECT_EQ(app.DisconnectMessage, "The application has gone off-line. Please try again later.");
    EXPECT_EQ(app.ApplicationIdentifier(), "com.kvr.brixlogviewer");
    EXPECT_EQ(std::tie(app.MajorVersion, app.MinorVersion, app.BugVersion, app.NonReleaseVersion, app.StageCode),
              std::make_tuple(1, 0, 0, 13, 0));
    EXPECT_EQ(app.ShortVersion, "1.0.0.12");
    EXPECT_EQ(app.LongVersion, "");
    EXPECT_EQ(app.PackageInfo, "");
    EXPECT_TRUE(app.ClientFiles().contains("framework.js"));
    EXPECT_TRUE(app.ClientFiles().contains("framework.css"));
    EXPECT_EQ(app.webFile.load(), nullptr);
}

TEST(Session, TextsByNameAndLanguage) {
    struct Case {
        const char* name;
        std::string (*lookup)(std::string_view);
        const char* text;
    };
    const std::vector<Case> cases = {
        {"ErrorDialogMessage", &Session::ErrorDialogMessage,
         "This application has encountered an error and cannot continue."},
        {"ErrorDialogQuestion", &Session::ErrorDialogQuestion,
         "Please describe what you were doing right before the error occurred:"},
        {"ErrorDialogSubmit", &Session::ErrorDialogSubmit, "Send"},
        {"ErrorDialogCancel", &Session::ErrorDialogCancel, "Do Not Send"},
        {"ErrorThankYou", &Session::ErrorThankYou, "Thank You"},
        {"ErrorThankYouMessage", &Session::ErrorThankYouMessage, "Your feedback helps us make improvements."},
        {"NoJavascriptMessage", &Session::NoJavascriptMessage, "Javascript must be enabled to access this page."},
        {"NoJavascriptInstructions", &Session::NoJavascriptInstructions,
         "To turn Javascript on, please refer to your browser settings window."},
    };
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    for (const auto& c : cases) {
        EXPECT_EQ(c.lookup(""), c.text) << c.name;
        EXPECT_EQ(c.lookup("de"), c.text) << c.name;
        EXPECT_EQ(session->Text(c.name), c.text) << c.name;
    }
    EXPECT_EQ(session->Text("NoSuchText"), "NoSuchText");
    EXPECT_EQ(session->_GetAllWebControlWrapperHeaders(), "");
}

TEST(App, DefaultPageIsTheSessionsOneLogPage) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    EXPECT_EQ(viewer.app.DefaultPage(), nullptr) << "no session on this thread";
    EXPECT_EQ(current::Session(), nullptr);

    auto one = viewer.NewSession();
    auto two = viewer.NewSession();
    pgLog* first = nullptr;
    viewer.harness.Within(*one, [&] {
        EXPECT_EQ(current::Session(), one.get());
        first = dynamic_cast<pgLog*>(viewer.app.DefaultPage());
        EXPECT_EQ(viewer.app.DefaultPage(), first);
        EXPECT_EQ(&current::pgLog(), first);
        EXPECT_EQ(viewer.app.SessionForControl(*first->lbData), one.get());
    });
    ASSERT_NE(first, nullptr);
    viewer.harness.Within(*two, [&] {
        EXPECT_NE(&current::pgLog(), first);
        // Each session numbers its own controls, so the same page names them alike.
        EXPECT_EQ(current::pgLog().lbData->ControlID(), first->lbData->ControlID());
    });
    EXPECT_EQ(viewer.app.SessionWithIdentifier(one->Identifier()), one.get());

    // Open ran once: without a drive it said so once, in two message boxes.
    auto channel = viewer.harness.Connect(*one);
    EXPECT_EQ(brixtest::Commands(channel->Messages(), "msgbox"),
              (std::vector<std::vector<std::string>>{{"USB drive not found"}, {"Cannot find the Log file."}}));
}

TEST(Session, AWrongImplicitPageNamedLikeTheLogPageIsReplaced) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto session = viewer.NewSession();
    viewer.harness.Within(*session, [&] {
        session->AddPage(std::make_unique<platform::WebPage>("pgLog"), true);
        ASSERT_TRUE(session->HasImplicitPage("pgLog"));
        pgLog& page = session->pgLog();
        EXPECT_EQ(session->Page("pgLog"), &page);
        EXPECT_EQ(&session->pgLog(), &page);
    });
}

TEST(App, StylesAreBuiltOnceInOrderEvenUnderConcurrentFirstRequests) {
    App app;
    std::vector<const std::vector<std::shared_ptr<platform::WebStyle>>*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&, i] { seen[i] = &app._Styles(); });
    for (auto& t : threads) t.join();
    const auto& styles = app._Styles();
    for (const auto* s : seen) EXPECT_EQ(s, &styles);
    ASSERT_EQ(styles.size(), 3u);
    EXPECT_EQ(styles[0]->Name(), "_DefaultStyle");
    EXPECT_NE(dynamic_cast<csRightAlign*>(styles[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<csCentreText*>(styles[2].get()), nullptr);
    const auto copy = styles;
    EXPECT_EQ(app._Styles(), copy) << "the same three objects every time";

    EXPECT_EQ(styles[1]->NormalValues(), (platform::StyleValues{{"text-align", "right"}}));
    EXPECT_EQ(styles[2]->NormalValues(), (platform::StyleValues{{"text-align", "center"}}));
    EXPECT_EQ(&styles[2]->NormalValues(), &styles[2]->NormalValues());
    for (const auto& s : styles) {
        EXPECT_TRUE(s->HoverValues().empty());
        EXPECT_TRUE(s->PressedValues().empty());
        EXPECT_TRUE(s->VisitedValues().empty());
    }
}

TEST(App, UnhandledErrorsArePrintedAndTheErrorDialogShownWhileOtherSessionsGoOn) {
    brixtest::TempRoot root;
    std::filesystem::create_directories(root.LogPath());  // a folder where the log should be
    brixtest::Viewer viewer;
    CaptureStdout();
    auto first = viewer.Open();
    auto second = viewer.Open();
    const std::string out = GetCapturedStdout();
    EXPECT_EQ(out, "Unhandled Exception\nUnhandled Exception\n");
    const auto dialogs = brixtest::Commands(first.channel->Messages(), "error");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0], (std::vector<std::string>{"This application has encountered an error and cannot continue.",
                                                     "Please describe what you were doing right before the error "
                                                     "occurred:",
                                                     "Send", "Do Not Send"}));

    // The drive is fixed; a new browser gets a working page from the same process.
    std::filesystem::remove(root.LogPath());
    root.WriteLog("D,X\n1,a\n");
    CaptureStdout();
    auto third = viewer.Open();
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(third.page().lbDates->RowCount(), 1);

    // "Send" delivers the report and the browser shows the thank-you texts.
    CaptureStderr();
    viewer.harness.Message(*first.session, R"({"t":"report","text":"clicked a date"})");
    EXPECT_NE(GetCapturedStderr().find("clicked a date"), std::string::npos);
    EXPECT_EQ(brixtest::Commands(first.channel->Messages(), "thanks"),
              (std::vector<std::vector<std::string>>{{"Thank You", "Your feedback helps us make improvements."}}));
}

namespace {

// A runtime whose detaching fails, and which checks meanwhile that nothing listens yet.
class FailingRuntime : public platform::ProcessRuntime {
public:
    explicit FailingRuntime(int port, bool* portAnswered) : port_(port), answered_(portAnswered) {}
    bool Daemonize() override {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        *answered_ = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return false;
    }

private:
    int port_;
    bool* answered_;
};

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

int RunApp(App& app, std::vector<std::string> arguments) {
    std::vector<char*> argv;
    static std::string program = "brix-log-viewer";
    argv.push_back(program.data());
    for (auto& a : arguments) argv.push_back(a.data());
    return app.Run(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

TEST(App, AFailedDetachPrintsTwoLinesAndFailsBeforeAnythingListens) {
    const int port = FreePort();
    bool answered = true;
    App app;
    StoreVersionData(app);
    app.SetRuntime(std::make_unique<FailingRuntime>(port, &answered));
    CaptureStdout();
    const int status = RunApp(app, {"--port=" + std::to_string(port)});
    EXPECT_EQ(GetCapturedStdout(), "Launching Brix Log Viewer.\nUnable To Daemonize app.\n");
    EXPECT_NE(status, 0) << "a failure must not be reported as success";
    EXPECT_FALSE(answered) << "nothing may listen before Open has returned";
}

TEST(App, VersionIsPrintedWithoutServing) {
    App app;
    StoreVersionData(app);
    CaptureStdout();
    EXPECT_EQ(RunApp(app, {"--version"}), 0);
    EXPECT_EQ(GetCapturedStdout(), "brix-log-viewer " + app.ShortVersion + "\n");
    EXPECT_EQ(app.ShortVersion, BRIX_PROJECT_VERSION) << "the package and the manual page carry the build's version";
}

TEST(App, APortInUseOrAMalformedOptionIsRefusedOnStandardError) {
    const int busy = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(busy, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(busy, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--foreground", "--port=" + std::to_string(port)},
          std::vector<std::string>{"--port=http"}, std::vector<std::string>{"--port=70000"}}) {
        App app;
        CaptureStdout();
        CaptureStderr();
        const int status = RunApp(app, arguments);
        const std::string out = GetCapturedStdout();
        const std::string err = GetCapturedStderr();
        EXPECT_NE(status, 0) << arguments.back();
        EXPECT_EQ(out, "") << "nothing from the application itself";
        EXPECT_NE(err.find("brix-log-viewer: "), std::string::npos) << err;
    }
    ::close(busy);
}

// A page may send "Send" as often as it likes, with anything in it: standard error gets a
// few short lines a minute, with every control character written out.
TEST(Session, ErrorReportsAreWrittenEscapedShortAndAFewAMinute) {
    brixtest::TempRoot root;
    brixtest::Viewer viewer;
    auto browser = viewer.Open();
    const std::string hostile = "\x1b[31mred\x1b[0m\r\nforged line\x07 \xc2\x9b" + std::string(200000, 'x');
    testing::internal::CaptureStderr();
    for (int i = 0; i < 10; ++i)
        viewer.harness.Message(*browser.session, nlohmann::json{{"t", "report"}, {"text", hostile}}.dump());
    const std::string said = testing::internal::GetCapturedStderr();
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = said.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(said.substr(at, end - at));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("Error report from a browser: \\x1B[31mred\\x1B[0m\\x0D\\x0Aforged line\\x07 \\x9B", 0), 0u)
        << lines[0].substr(0, 120);
    EXPECT_LT(lines[0].size(), 3000u);
    for (const char c : said) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
    EXPECT_EQ(brixtest::Commands(browser.channel->Messages(), "thanks").size(), 10u) << "each is thanked all the same";
}
