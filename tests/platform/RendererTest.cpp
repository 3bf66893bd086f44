#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/testing/TestHarness.h"
#include "platform/web/WebButton.h"
#include "platform/web/WebCheckbox.h"
#include "platform/web/WebContainer.h"
#include "platform/web/WebListBox.h"
#include "platform/web/WebPage.h"

using nlohmann::json;
using platform::WebSession;

namespace {

class TablePage : public platform::WebPage {
public:
    TablePage() : WebPage("TablePage") {
        list = std::make_unique<platform::WebListBox>("list");
        list->SetColumnCount(2);
        AddControl(*list);
        group = std::make_unique<platform::WebContainer>("group");
        AddControl(*group);
        button = std::make_unique<platform::WebButton>("button");
        AddControl(*button);
        button->Action.Connect([this](platform::WebButton&) {
            if (onPress) onPress();
        });
    }
    std::unique_ptr<platform::WebListBox> list;
    std::unique_ptr<platform::WebContainer> group;
    std::unique_ptr<platform::WebButton> button;
    std::unique_ptr<platform::WebCheckbox> added;
    std::function<void()> onPress;
};

class TableApp : public platform::WebApplication {
public:
    TablePage* page = nullptr;
    platform::WebPage* DefaultPage() override {
        auto* session = WebSession::Current();
        page = &static_cast<TablePage&>(session->AddPage(std::make_unique<TablePage>(), true));
        return page;
    }
};

struct Fixture {
    TableApp app;
    platform::testing::TestHarness harness{app};
    std::shared_ptr<WebSession> session = harness.NewSession();
    std::shared_ptr<platform::testing::RecordingChannel> channel = harness.Connect(*session);

    // What one press of the button sends, after running f in the handler.
    std::vector<json> Press(std::function<void()> f) {
        channel->TakeMessages();
        app.page->onPress = std::move(f);
        harness.Raise(*session, "button", "Action");
        std::vector<json> out;
        for (const auto& m : channel->TakeMessages()) out.push_back(json::parse(m));
        return out;
    }
};

}  // namespace

TEST(Renderer, FirstPaintCarriesTheWholeTreeParentsFirst) {
    Fixture f;
    const auto messages = f.channel->Messages();
    ASSERT_EQ(messages.size(), 1u);
    const json paint = json::parse(messages[0]);
    EXPECT_EQ(paint["t"], "page");
    const auto& controls = paint["controls"];
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_EQ(controls[0]["kind"], "page");
    EXPECT_EQ(controls[1]["name"], "list");
    EXPECT_EQ(controls[1]["parent"], controls[0]["id"]);
    EXPECT_EQ(controls[1]["columnWidths"], json({"*", "*"}));
}

TEST(Renderer, OnlyChangedPropertiesGoBackInOneBatch) {
    Fixture f;
    EXPECT_TRUE(f.Press([&] { f.app.page->list->SetLeft(f.app.page->list->Left()); }).empty())
        << "an unchanged value sends nothing";

    const auto batch = f.Press([&] {
        f.app.page->list->SetLeft(7);
        f.app.page->list->AddRow({"a", "b"});
        f.app.page->list->AddRow({"c"});
        f.app.page->list->SetLeft(9);
    });
    ASSERT_EQ(batch.size(), 1u);
    const auto& changed = batch[0]["controls"];
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0]["left"], 9);
    EXPECT_EQ(changed[0]["rows"], json({{"a", "b"}, {"c"}}));
    EXPECT_EQ(changed[0].size(), 3u) << changed[0].dump();  // id, left, rows
}

TEST(Renderer, AControlAddedToTheLivePageGoesWholeAndARemovedOneByIdentifier) {
    Fixture f;
    const auto added = f.Press([&] {
        f.app.page->added = std::make_unique<platform::WebCheckbox>("added");
        f.app.page->added->SetCaption("<b>shown as text</b>");
        f.app.page->group->AddControl(*f.app.page->added);
    });
    ASSERT_EQ(added.size(), 1u);
    const auto& control = added[0]["controls"][0];
    EXPECT_EQ(control["kind"], "checkbox");
    EXPECT_EQ(control["parent"], f.app.page->group->ControlID());
    EXPECT_EQ(control["caption"], "<b>shown as text</b>");
    EXPECT_EQ(control["value"], false);

    const std::string id = f.app.page->added->ControlID();
    const auto removed = f.Press([&] { f.app.page->added.reset(); });
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0]["removed"], json({id}));
}

TEST(Renderer, InvalidUtf8IsReplacedNotFatal) {
    Fixture f;
    const auto batch = f.Press([&] { f.app.page->list->AddRow({std::string("a\xff" "b"), std::string("\xc3")}); });
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0]["controls"][0]["rows"], json::array({json::array({"a\xEF\xBF\xBD" "b", "\xEF\xBF\xBD"})}));
}

TEST(Renderer, EventsForUnknownHiddenOrDisabledControlsAreIgnored) {
    Fixture f;
    int presses = 0;
    f.app.page->onPress = [&] { ++presses; };
    f.harness.Message(*f.session, R"({"t":"event","id":"c999999","name":"Action"})");
    f.harness.Message(*f.session, "not json");
    f.harness.Message(*f.session, R"({"t":"mystery"})");
    f.harness.Within(*f.session, [&] { f.app.page->button->SetEnabled(false); });
    f.harness.Raise(*f.session, "button", "Action");
    f.harness.Within(*f.session, [&] {
        f.app.page->button->SetEnabled(true);
        f.app.page->SetVisible(false);
    });
    f.harness.Raise(*f.session, "button", "Action");
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(f.session->IgnoredEvents(), 5u);
    f.harness.Within(*f.session, [&] { f.app.page->SetVisible(true); });
    f.harness.Raise(*f.session, "button", "Action");
    EXPECT_EQ(presses, 1);

    // A selection the list cannot have is not trusted.
    f.harness.Raise(*f.session, "list", "SelectionChanged", "5");
    EXPECT_EQ(f.app.page->list->ListIndex(), -1);
}
