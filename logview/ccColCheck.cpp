#include "logview/ccColCheck.h"

#include "app/Current.h"
#include "app/Session.h"
#include "logview/pgLog.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/RuntimeException.h"

ccColCheck::ccColCheck() : WebContainer("ccColCheck") {
    SetStyle(platform::WebStyle::Default());
    SetWidth(180);
    SetHeight(50);
    SetLockHorizontal(false);
    SetLockVertical(false);
    SetVisible(true);
    SetEnabled(true);
    SetCursor(platform::cursor::Inherit);
    SetHelpTag("");
    SetZIndex(1);

    cbCol = std::make_unique<platform::WebCheckbox>("cbCol");
    cbCol->SetStyle(platform::WebStyle::Default());
    cbCol->SetBounds(8, 5, 160, 40);
    cbCol->SetLockLeft(true);
    cbCol->SetLockTop(true);
    cbCol->SetLockRight(false);
    cbCol->SetLockBottom(false);
    cbCol->SetLockHorizontal(false);
    cbCol->SetLockVertical(false);
    cbCol->SetVisible(true);
    cbCol->SetEnabled(true);
    cbCol->SetCursor(platform::cursor::Arrow);
    cbCol->SetHelpTag("");
    cbCol->SetCaption("Untitled");
    cbCol->SetValue(false);
    cbCol->SetZIndex(1);

    AddControl(*cbCol);
    cbCol->ValueChanged.Connect([this](platform::WebCheckbox& sender) { cbCol_ValueChanged(sender); });
}

void ccColCheck::cbCol_ValueChanged(platform::WebCheckbox& sender) {
    platform::Date expiry;
    expiry.SetTotalSeconds(expiry.TotalSeconds() + 7776000);  // 90 days
    const std::string width = sender.Value() ? "*" : "0";
    current::pgLog().lbData->SetColumnWidth(col, width);
    ::Session* session = current::Session();
    if (!session) throw platform::NilObjectException("no current session");
    session->Cookies().Set("Col" + sender.Caption(), width, expiry, "", "", false, false);
}
