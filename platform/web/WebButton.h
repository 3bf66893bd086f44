#pragma once
#include "platform/web/WebControl.h"

namespace platform {

class WebButton : public WebControl {
public:
    explicit WebButton(std::string name = "WebButton");

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v) { Assign(caption_, std::move(v), "caption"); }
    // When true, a press disables the button until code enables it again.
    bool AutoDisable() const { return autoDisable_; }
    void SetAutoDisable(bool v) { Assign(autoDisable_, v, "autoDisable"); }

    Event<WebButton&> Action;

    void HandleBrowserEvent(const BrowserEvent& event) override;
    void WriteProperties(render::PropertyWriter& writer) const override;

private:
    std::string caption_ = "Untitled";
    bool autoDisable_ = false;
};

}  // namespace platform
