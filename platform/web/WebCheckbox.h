#pragma once
#include "platform/web/WebControl.h"

namespace platform {

class WebCheckbox : public WebControl {
public:
    explicit WebCheckbox(std::string name = "WebCheckbox");

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v) { Assign(caption_, std::move(v), "caption"); }
    bool Value() const { return value_; }
    // A different value raises ValueChanged at once, before this returns.
    void SetValue(bool value);

    Event<WebCheckbox&> ValueChanged;

    void HandleBrowserEvent(const BrowserEvent& event) override;
    void WriteProperties(render::PropertyWriter& writer) const override;

private:
    std::string caption_ = "Untitled";
    bool value_ = false;
};

}  // namespace platform
