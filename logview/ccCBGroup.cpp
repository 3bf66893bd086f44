#include "logview/ccCBGroup.h"

ccCBGroup::ccCBGroup(std::string name) : WebContainer("ccCBGroup") {
    SetStyle(platform::WebStyle::Default());
    SetWidth(166);
    SetHeight(702);
    SetCursor(platform::cursor::Inherit);
    SetEnabled(true);
    SetHelpTag("");
    SetLockHorizontal(false);
    SetLockVertical(false);
    SetVisible(true);
    SetZIndex(1);
    ClearPendingChanges();
    SetName(std::move(name));
}
