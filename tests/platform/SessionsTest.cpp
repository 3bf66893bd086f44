#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "../TestSupport.h"
#include "platform/runtime/TextInputStream.h"
#include "platform/session/SerialQueue.h"
#include "platform/session/SessionRegistry.h"
#include "platform/session/WorkerPool.h"
#include "platform/testing/TestHarness.h"
#include "platform/web/WebButton.h"
#include "platform/web/WebPage.h"

using namespace std::chrono_literals;
using platform::WebSession;

namespace {

// A page with one button whose handler runs whatever the test gives it.
class ButtonPage : public platform::WebPage {
public:
    explicit ButtonPage(std::function<void()> onPress, std::atomic<int>& alive) : WebPage("ButtonPage"), alive_(alive) {
        ++alive_;
        button = std::make_unique<platform::WebButton>("button");
        AddControl(*button);
        button->Action.Connect([onPress](platform::WebButton&) { onPress(); });
    }
    ~ButtonPage() override { --alive_; }
    std::unique_ptr<platform::WebButton> button;

private:
    std::atomic<int>& alive_;
};

class ButtonApp : public platform::WebApplication {
public:
    std::function<void()> onPress = [] {};
    std::atomic<int> pagesAlive{0};
    platform::WebPage* DefaultPage() override {
        auto* session = WebSession::Current();
        if (!session) return nullptr;
        return &session->AddPage(std::make_unique<ButtonPage>([this] { onPress(); }, pagesAlive), true);
    }
};

std::string Press(platform::WebSession& session) {
    auto* control = platform::testing::TestHarness::Find(session, "button");
    return std::string(R"({"t":"event","name":"Action","id":")") + control->ControlID() + "\"}";
}

}  // namespace

TEST(Sessions, OneSessionsLongHandlerDoesNotHoldUpAnother) {
    ButtonApp app;
    platform::testing::TestHarness harness(app);
    auto slow = harness.NewSession();
    auto quick = harness.NewSession();
    harness.Connect(*slow);
    harness.Connect(*quick);

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<WebSession*> slowSawSession;
    std::atomic<bool> slowRunning{false};
    app.onPress = [&] {
        if (WebSession::Current() == slow.get()) {
            slowRunning = true;  // before it says so: the test reads it as soon as it is told
            slowSawSession.set_value(WebSession::Current());
            released.wait();
            slowRunning = false;
        }
    };
    slow->Post([&] { slow->HandleMessage(Press(*slow)); });
    ASSERT_EQ(slowSawSession.get_future().get(), slow.get()) << "the handler runs with its own session current";

    std::promise<void> quickDone;
    quick->Post([&] {
        quick->HandleMessage(Press(*quick));
        quickDone.set_value();
    });
    EXPECT_EQ(quickDone.get_future().wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(slowRunning) << "the other session was served while this one was still busy";
    EXPECT_EQ(WebSession::Current(), nullptr) << "no session is current on a thread that serves none";

    // Events of one session wait for each other.
    std::promise<bool> secondSawFirstRunning;
    slow->Post([&] { secondSawFirstRunning.set_value(slowRunning.load()); });
    auto second = secondSawFirstRunning.get_future();
    EXPECT_EQ(second.wait_for(100ms), std::future_status::timeout);
    release.set_value();
    EXPECT_FALSE(second.get());
}

namespace {

// Bytes that come only when the gate opens: a huge log on a slow drive.
class GatedSource : public platform::ByteSource {
public:
    explicit GatedSource(std::shared_future<void> gate) : gate_(std::move(gate)) {}
    std::size_t ReadAt(std::uint64_t, std::span<char>) override {
        gate_.wait();
        return 0;
    }
    std::uint64_t Size() const override { return 1ull << 40; }

private:
    std::shared_future<void> gate_;
};

// Opening a page reads its log first; while `gate` is set, every opening waits on it.
class SlowOpenApp : public ButtonApp {
public:
    std::optional<std::shared_future<void>> gate;
    std::atomic<int> opening{0};
    platform::WebPage* DefaultPage() override {
        if (gate) {
            ++opening;
            platform::TextInputStream(std::make_unique<GatedSource>(*gate)).ReadLine();
        }
        return ButtonApp::DefaultPage();
    }
};

}  // namespace

TEST(Sessions, AnEventIsServedWhilePageOpensHoldTheirWorkers) {
    SlowOpenApp app;
    auto settings = platform::testing::TestHarness::Settings(2, 200);
    settings.longWorkThreads = 2;
    platform::testing::TestHarness harness(app, settings);
    auto quick = harness.NewSession();
    auto live = harness.ConnectLive(*quick);
    ASSERT_TRUE(live.channel->WaitFor(R"("t":"page")", 10s));

    // More openings than there are threads of either pool, all stuck on the drive.
    std::promise<void> drive;
    app.gate = drive.get_future().share();
    std::vector<platform::testing::TestHarness::LiveChannel> opening;
    for (int i = 0; i < 5; ++i) opening.push_back(harness.ConnectLive(*harness.NewSession()));
    for (int i = 0; i < 500 && app.opening < 2; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(app.opening, 2) << "as many openings at once as the pool for long work has threads";

    std::promise<void> pressed;
    app.onPress = [&] { pressed.set_value(); };
    live.listener->OnMessage(Press(*quick));
    EXPECT_EQ(pressed.get_future().wait_for(10s), std::future_status::ready) << "the event waited behind the openings";
    drive.set_value();
    for (auto& other : opening) EXPECT_TRUE(other.channel->WaitFor(R"("t":"page")", 10s));
}

TEST(Sessions, AnAbandonedSessionEndsAndFreesItsPage) {
    ButtonApp app;
    platform::testing::TestHarness harness(app);
    auto kept = harness.NewSession();
    auto gone = harness.NewSession();
    harness.Connect(*kept);
    harness.Connect(*gone);
    ASSERT_EQ(app.pagesAlive, 2);
    gone->MarkDetached();
    std::weak_ptr<WebSession> watch = gone;
    gone.reset();

    const auto now = platform::session::Clock::now();
    EXPECT_EQ(app.Sessions().Sweep(now + 30s), 0u) << "a browser may come back within the grace period";
    EXPECT_EQ(app.Sessions().Sweep(now + 61s), 1u);
    for (int i = 0; i < 500 && !watch.expired(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(app.pagesAlive, 1);
    EXPECT_NE(app.SessionWithIdentifier(kept->Identifier()), nullptr);
}

TEST(Sessions, OnlyAttachedBrowsersHoldTheCapAndStartPagesThatNeverRunEndSoon) {
    ButtonApp app;
    platform::testing::TestHarness harness(app, platform::testing::TestHarness::Settings(2, 3));
    auto first = harness.NewSession();
    harness.Connect(*first);
    // A burst of start pages that never open their channel: each takes the slot of the one before.
    for (int i = 0; i < 400; ++i) ASSERT_EQ(harness.Get("/").status, 200) << i;
    EXPECT_EQ(app.SessionCount(), 3);
    auto second = harness.NewSession();
    ASSERT_NE(second, nullptr) << "a real browser gets in all the same";
    harness.Connect(*second);
    auto third = harness.NewSession();
    harness.Connect(*third);
    const auto busy = harness.Get("/");
    EXPECT_EQ(busy.status, 503) << "every slot is held by an attached browser";
    EXPECT_NE(busy.body->find("busy"), std::string::npos);

    // A closed tab gives its slot up to a new browser, the longest gone first.
    first->MarkDetached();
    EXPECT_EQ(harness.Get("/").status, 200);
    EXPECT_EQ(app.SessionWithIdentifier(first->Identifier()), nullptr);
    EXPECT_NE(app.SessionWithIdentifier(second->Identifier()), nullptr);

    // A start page that never ran ends after about ten seconds, an attached browser never.
    const auto now = platform::session::Clock::now();
    EXPECT_EQ(app.Sessions().Sweep(now + 5s), 0u);
    EXPECT_EQ(app.Sessions().Sweep(now + 11s), 1u);
    EXPECT_EQ(app.SessionCount(), 2);
}

TEST(Sessions, IdentifiersAreLongAndDistinct) {
    ButtonApp app;
    platform::testing::TestHarness harness(app);
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        auto session = harness.NewSession();
        EXPECT_EQ(session->Identifier().size(), 32u);  // 128 bits in hex
        seen.insert(session->Identifier());
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(Sessions, AReturningBrowserGetsThePageWholeAndShownRunsOnce) {
    ButtonApp app;
    platform::testing::TestHarness harness(app);
    auto session = harness.NewSession();
    auto first = harness.Connect(*session);
    auto* page = session->CurrentPage();
    int shown = 0;
    page->Shown.Connect([&] { ++shown; });
    harness.Within(*session, [&] { session->Detach(first); });

    // Changes made while the browser was away are in the page it gets back.
    harness.Within(*session, [&] { page->SetTitle("changed while away"); });
    auto second = harness.Connect(*session);
    EXPECT_EQ(session->CurrentPage(), page);
    const auto messages = second->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(R"("t":"page")"), std::string::npos);
    EXPECT_NE(messages[0].find("changed while away"), std::string::npos);
    EXPECT_EQ(shown, 0) << "Shown belongs to the first showing only";
    EXPECT_TRUE(first->Messages().size() == 1u) << "nothing more went to the old channel";
}

TEST(Sessions, AFailingTaskEndsNeitherItsQueueNorTheProcess) {
    platform::session::WorkerPool pool(1);
    auto queue = std::make_shared<platform::session::SerialQueue>(pool);
    std::promise<void> ran;
    queue->Post([] { throw std::runtime_error("a broken message"); });
    queue->Post([] { throw 42; });
    queue->Post([&] { ran.set_value(); });
    EXPECT_EQ(ran.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

// A browser whose page is shown over a live channel, and whose presses hold the session's
// worker until the test ends (each press keeps a copy of the future: queued presses may
// outlive the test's locals).
struct BusyBrowser {
    ButtonApp app;
    platform::testing::TestHarness harness{app};
    std::shared_ptr<platform::WebSession> session = harness.NewSession();
    platform::testing::TestHarness::LiveChannel live = harness.ConnectLive(*session);
    std::promise<void> release;

    BusyBrowser() {
        std::shared_future<void> released = release.get_future().share();
        app.onPress = [released] { released.wait(); };
    }
    ~BusyBrowser() { release.set_value(); }
};

TEST(Sessions, ABrowserSendingFasterThanItsSessionHandlesIsCutOff) {
    BusyBrowser b;
    ASSERT_TRUE(b.live.channel->WaitFor(R"("t":"page")", 10s));
    const std::string press = Press(*b.session);
    for (int i = 0; i < 1000 && !b.live.channel->Closed(); ++i) b.live.listener->OnMessage(press);
    EXPECT_TRUE(b.live.channel->Closed()) << "a thousand messages were let wait";
}

// The page's heartbeat is answered at once, even while its session is busy with a long
// handler, so that a slow page is never taken for a lost network.
TEST(Sessions, AHeartbeatIsAnsweredWhileTheSessionIsBusy) {
    BusyBrowser b;
    ASSERT_TRUE(b.live.channel->WaitFor(R"("t":"page")", 10s));
    b.live.listener->OnMessage(Press(*b.session));
    b.live.listener->OnMessage(R"({"t":"beat"})");
    EXPECT_TRUE(b.live.channel->WaitFor(R"({"t":"beat"})", 2s));
}

// Many first paints at once, each rendering the shared styles: run under ThreadSanitizer,
// a race on the styles' values fails it.
TEST(Sessions, ManySessionsPaintTheirFirstPageAtOnce) {
    brixtest::TempRoot root;
    root.WriteLog("D,X\nA,1\n");
    brixtest::Viewer viewer;
    std::vector<platform::testing::TestHarness::LiveChannel> browsers;
    for (int i = 0; i < 16; ++i) browsers.push_back(viewer.harness.ConnectLive(*viewer.harness.NewSession()));
    for (auto& browser : browsers) EXPECT_TRUE(browser.channel->WaitFor("text-align: center", 10s));
}
