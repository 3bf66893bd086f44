#include "platform/web/WebButton.h"

#include "platform/render/PropertyWriter.h"

namespace platform {

WebButton::WebButton(std::string name) : WebControl("button", std::move(name)) {}

void WebButton::HandleBrowserEvent(const BrowserEvent& event) {
    if (event.name != "Action") return;
    if (autoDisable_) SetEnabled(false);
    Action.Raise(*this);
}

void WebButton::WriteProperties(render::PropertyWriter& w) const {
    WebControl::WriteProperties(w);
    w.Write("caption", caption_);
    w.Write("autoDisable", autoDisable_);
}

}  // namespace platform
