#include "logview/pgLog.h"

#include "logview/ccColCheck.h"
#include "logview/csCentreText.h"

using platform::WebListBox;
using platform::WebStyle;

namespace {

struct Bounds {
    int left, top, width, height;
    bool lockLeft, lockTop, lockRight, lockBottom;
};

// The settings every control of the page starts with, in the order the page sets them.
void PlaceControl(platform::WebControl& control, std::shared_ptr<WebStyle> style, const Bounds& b) {
    control.SetStyle(std::move(style));
    control.SetBounds(b.left, b.top, b.width, b.height);
    control.SetLockLeft(b.lockLeft);
    control.SetLockTop(b.lockTop);
    control.SetLockRight(b.lockRight);
    control.SetLockBottom(b.lockBottom);
    control.SetLockHorizontal(false);
    control.SetLockVertical(false);
    control.SetVisible(true);
    control.SetEnabled(true);
    control.SetCursor(platform::cursor::Inherit);
    control.SetHelpTag("");
}

struct ListSettings {
    int columnCount;
    const char* columnWidths;
    bool multiline;
    int zIndex;
};

void ConfigureList(WebListBox& list, std::shared_ptr<WebStyle> style, const Bounds& bounds, const ListSettings& s) {
    PlaceControl(list, std::move(style), bounds);
    list.SetAlternateRowColor(0xEDF3FE);
    list.SetColumnCount(s.columnCount);
    list.SetColumnWidths(s.columnWidths);
    list.SetHasHeading(true);
    list.SetListIndex(-1);
    list.SetMinimumRowHeight(22);
    list.SetMultiline(s.multiline);
    list.SetPrimaryRowColor(0xFFFFFF);
    list.SetZIndex(s.zIndex);
    list.SetHeaderStyle(WebStyle::Default());
    list.SetSelectionStyle(WebStyle::Default());
}

}  // namespace

pgLog::pgLog() : WebPage("pgLog") {
    Open.Connect([this] { Event_Open(); });
    Shown.Connect([this] { Event_Shown(); });

    SetName("pgLog");
    SetStyle(WebStyle::Default());
    SetWidth(1640);
    SetHeight(990);
    SetMinWidth(600);
    SetMinHeight(400);
    SetTitle("KVR Brix Data Log Viewer");
    SetCursor(platform::cursor::Inherit);
    SetEnabled(true);
    SetHelpTag("");
    SetLockHorizontal(false);
    SetLockVertical(false);
    SetVisible(true);
    SetZIndex(1);

    lbDates = std::make_unique<WebListBox>("lbDates");
    ConfigureList(*lbDates, WebStyle::Default(), {20, 20, 114, 950, true, true, false, true}, {1, "*", false, 1});
    lbDates->SetAccessibleName("Dates");
    AddControl(*lbDates);

    lbData = std::make_unique<WebListBox>("lbData");
    ConfigureList(*lbData, std::make_shared<csCentreText>(), {146, 20, 1282, 950, true, true, true, true},
                  {20, "100,*", true, 2});
    for (int i = 0; i < 20; ++i) lbData->SetHeading(i, "Column " + std::to_string(i));
    AddControl(*lbData);

    btDownload = std::make_unique<platform::WebButton>("btDownload");
    PlaceControl(*btDownload, WebStyle::Default(), {1469, 948, 100, 22, false, false, true, true});
    btDownload->SetAutoDisable(false);
    btDownload->SetCaption("Download Log");
    btDownload->SetZIndex(3);
    AddControl(*btDownload);

    ccGroup = std::make_unique<ccCBGroup>("ccGroup");
    PlaceControl(*ccGroup, WebStyle::Default(), {1440, 55, 180, 851, false, true, true, true});
    ccGroup->SetScrollbarsVisible(0);
    ccGroup->SetZIndex(4);
    AddControl(*ccGroup);

    lbDates->SelectionChanged.Connect([this](WebListBox& sender) { lbDates_SelectionChanged(sender); });
    lbDates->RaiseOpen();
    lbData->RaiseOpen();
    btDownload->Action.Connect([this](platform::WebButton& sender) { btDownload_Action(sender); });
    btDownload->RaiseOpen();
    ccGroup->RaiseOpen();
    RaiseOpen();

    lbDates->ClearPendingChanges();
    lbData->ClearPendingChanges();
    btDownload->ClearPendingChanges();
    ccGroup->ClearPendingChanges();
    ClearPendingChanges();
}

// Out of line, where ccColCheck is complete.
pgLog::~pgLog() = default;
