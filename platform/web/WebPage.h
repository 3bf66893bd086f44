#pragma once
#include <string>

#include "platform/web/WebControl.h"

namespace platform {

// A page: the root of a session's control tree. Its width and height are its design
// size, the reference of its controls' anchors; the browser lays it out to fill the
// window but never smaller than the minimum size.
class WebPage : public WebControl {
public:
    explicit WebPage(std::string name = "WebPage");

    const std::string& Title() const { return title_; }
    void SetTitle(std::string v) { Assign(title_, std::move(v), "title"); }
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    void SetMinWidth(int v) { Assign(minWidth_, v, "minWidth"); }
    void SetMinHeight(int v) { Assign(minHeight_, v, "minHeight"); }

    // Shows text in a message box; returns at once. Boxes appear in the order asked.
    void MsgBox(const std::string& text);
    // Sends the browser to url, in this window unless inNewWindow.
    void ShowURL(const std::string& url, bool inNewWindow = false);

    Event<> Shown;

    void WriteProperties(render::PropertyWriter& writer) const override;

private:
    std::string title_;
    int minWidth_ = 0, minHeight_ = 0;
};

}  // namespace platform
