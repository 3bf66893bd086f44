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
    EXPECT_EQ(changed[0]["rows"]["cells"], json({{"a", "b"}, {"c"}}));
    EXPECT_EQ(changed[0]["rows"]["count"], 2);
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
    EXPECT_EQ(batch[0]["controls"][0]["rows"]["cells"], json::array({json::array({"a\xEF\xBF\xBD" "b", "\xEF\xBF\xBD"})}));
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

TEST(Renderer, MessagesOfTheWrongShapeAreIgnoredNeverThrown) {
    Fixture f;
    const std::string button = f.app.page->button->ControlID();
    const std::string list = f.app.page->list->ControlID();
    for (const std::string& message : {
             std::string(R"({"t":0})"), std::string(R"({"t":null})"), std::string("[]"), std::string("\"event\""),
             R"({"t":"event","id":)" + std::string("7,\"name\":\"Action\"}"),
             R"({"t":"event","id":")" + button + R"(","name":["Action"]})",
             R"({"t":"event","id":")" + list + R"(","name":"SelectionChanged","value":"3"})",
             R"({"t":"event","id":")" + list + R"(","name":"SelectionChanged","value":1e300})",
             R"({"t":"event","id":")" + list + R"(","name":"Rows","value":18446744073709551615})",
             std::string(R"({"t":"report","text":{"a":1}})")}) {
        EXPECT_NO_THROW(f.harness.Message(*f.session, message)) << message;
    }
    EXPECT_EQ(f.app.page->list->ListIndex(), -1);
}

namespace {
std::vector<std::vector<std::string>> Rows(int first, int count) {
    std::vector<std::vector<std::string>> rows;
    for (int r = first; r < first + count; ++r) rows.push_back({std::to_string(r), "x"});
    return rows;
}
json RowsOf(const std::vector<json>& batch) {
    EXPECT_EQ(batch.size(), 1u);
    return batch.empty() ? json() : batch[0]["controls"][0]["rows"];
}
}  // namespace

TEST(Renderer, ALongListGoesOutAWindowAtATimeAroundTheSelection) {
    Fixture f;
    auto& list = *f.app.page->list;
    const auto filled = RowsOf(f.Press([&] {
        for (int r = 0; r < 5000; ++r) list.AddRow({std::to_string(r), "x"});
        list.SetListIndex(4999);
    }));
    EXPECT_EQ(filled["count"], 5000);
    const int first = filled["first"];
    EXPECT_LE(first, 4999);
    EXPECT_LT(filled["cells"].size(), 1000u) << "not every row at once";
    EXPECT_EQ(first + static_cast<int>(filled["cells"].size()), 5000) << "the selected last row is in it";
    EXPECT_EQ(filled["cells"][0], json({std::to_string(first), "x"}));

    // The browser scrolls: the rows it asks for come back under the same version.
    const std::string id = list.ControlID();
    f.channel->TakeMessages();
    for (const auto& [asked, expectFirst] : std::vector<std::pair<long long, int>>{{2000, 2000}, {-5, 0}, {99999, 4999}}) {
        f.harness.Message(*f.session, R"({"t":"event","id":")" + id + R"(","name":"Rows","value":)" +
                                          std::to_string(asked) + "}");
        const auto messages = f.channel->TakeMessages();
        ASSERT_EQ(messages.size(), 1u) << asked;
        const json window = json::parse(messages[0])["controls"][0]["rows"];
        EXPECT_EQ(window["gen"], filled["gen"]);
        EXPECT_EQ(window["first"], expectFirst) << asked;
        EXPECT_EQ(window["cells"][0][0], std::to_string(expectFirst));
    }

    // New content is a new version, from the top when nothing is selected.
    const auto refilled = RowsOf(f.Press([&] {
        list.DeleteAllRows();
        for (const auto& row : Rows(0, 3)) list.AddRow(row);
    }));
    EXPECT_NE(refilled["gen"], filled["gen"]);
    EXPECT_EQ(refilled["first"], 0);
    EXPECT_EQ(refilled["cells"], json(Rows(0, 3)));
}

TEST(Renderer, AHugeCellIsSentCutAtACharacterAndAWindowStaysSmall) {
    Fixture f;
    auto& list = *f.app.page->list;
    std::string huge(200 * 1024, 'a');
    huge[64 * 1024 - 1] = '\xC3';  // a two-byte character across the cut
    huge[64 * 1024] = '\xA9';
    const auto window = RowsOf(f.Press([&] {
        for (int r = 0; r < 100; ++r) list.AddRow({huge, "x"});
    }));
    EXPECT_EQ(list.Cell(0, 0).size(), huge.size()) << "the list itself keeps the whole text";
    const std::string sent = window["cells"][0][0];
    EXPECT_EQ(sent, std::string(64 * 1024 - 1, 'a'));
    EXPECT_LT(window["cells"].size(), 100u) << "a window is bounded in bytes as well as rows";
    EXPECT_GE(window["cells"].size(), 1u);
}

TEST(Renderer, ADisabledListCanStillBeScrolledButNotChosenFrom) {
    Fixture f;
    auto& list = *f.app.page->list;
    f.harness.Within(*f.session, [&] {
        for (const auto& row : Rows(0, 1000)) list.AddRow(row);
        list.SetEnabled(false);
    });
    f.channel->TakeMessages();
    f.harness.Raise(*f.session, "list", "SelectionChanged", "3");
    EXPECT_EQ(f.harness.Within(*f.session, [&] { return list.ListIndex(); }), -1);
    f.harness.Raise(*f.session, "list", "Rows", "700");
    const auto messages = f.channel->TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(json::parse(messages[0])["controls"][0]["rows"]["first"], 700);
}

TEST(Renderer, WhatTheBrowserReportedIsNotEchoedUnlessAHandlerChangedIt) {
    Fixture f;
    auto& list = *f.app.page->list;
    f.harness.Within(*f.session, [&] {
        for (const auto& row : Rows(0, 10)) list.AddRow(row);
        list.SelectionChanged.Connect([&](platform::WebListBox& l) {
            if (l.ListIndex() == 9) l.SetListIndex(0);  // the last row is not to be chosen
        });
    });
    f.channel->TakeMessages();
    f.harness.Raise(*f.session, "list", "SelectionChanged", "4");
    for (const auto& m : f.channel->TakeMessages()) {
        const json message = json::parse(m);  // held: a loop over a part of a temporary would read freed memory
        for (const auto& c : message["controls"]) EXPECT_FALSE(c.contains("listIndex")) << m;
    }
    f.harness.Raise(*f.session, "list", "SelectionChanged", "9");
    const auto messages = f.channel->TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(json::parse(messages[0])["controls"][0]["listIndex"], 0);
}
