#include "platform/web/WebCheckbox.h"

#include "platform/render/PropertyWriter.h"

namespace platform {

WebCheckbox::WebCheckbox(std::string name) : WebControl("checkbox", std::move(name)) {}

void WebCheckbox::SetValue(bool value) {
    if (value_ == value) return;
    value_ = value;
    MarkPending("value");
    ValueChanged.Raise(*this);
}

void WebCheckbox::HandleBrowserEvent(const BrowserEvent& event) {
    if (event.name != "ValueChanged" || !event.flag) return;
    SetValue(*event.flag);
    if (value_ == *event.flag) UnmarkPending("value");  // unless a handler set it back
}

void WebCheckbox::WriteProperties(render::PropertyWriter& w) const {
    WebControl::WriteProperties(w);
    w.Write("caption", caption_);
    w.Write("value", value_);
}

}  // namespace platform
