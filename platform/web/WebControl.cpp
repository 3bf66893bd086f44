#include "platform/web/WebControl.h"

#include <algorithm>

#include "platform/render/PropertyWriter.h"
#include "platform/runtime/RuntimeException.h"
#include "platform/web/WebSession.h"

namespace platform {
namespace {
WebSession& SessionForNewControl() {
    WebSession* session = WebSession::Current();
    if (!session) throw UnsupportedOperationException("a control can only be made within a session");
    return *session;
}
}  // namespace

WebControl::WebControl(std::string_view kind, std::string name)
    : kind_(kind), session_(SessionForNewControl()), name_(std::move(name)) {
    controlId_ = session_.RegisterControl(*this);
}

WebControl::~WebControl() {
    for (WebControl* child : children_) child->parent_ = nullptr;
    if (parent_) std::erase(parent_->children_, this);
    session_.UnregisterControl(*this);
}

void WebControl::AddControl(WebControl& child) {
    if (child.parent_ == this) return;
    if (child.parent_) std::erase(child.parent_->children_, &child);
    child.parent_ = this;
    children_.push_back(&child);
    // A control added to a page already in the browser goes there whole.
    child.MarkPending("parent");
}

void WebControl::SetBounds(int left, int top, int width, int height) {
    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    SetHeight(height);
}

void WebControl::SetStyle(std::shared_ptr<WebStyle> style) {
    if (!style) style = WebStyle::Default();
    const bool renamed = !style_ || style_->Name() != style->Name();
    style_ = std::move(style);
    if (renamed) MarkPending("style");
}

void WebControl::RaiseOpen() {
    try {
        Open.Raise();
    } catch (...) {
        session_.ReportUnhandled(std::current_exception());
    }
}

bool WebControl::AcceptsEvents() const {
    for (const WebControl* c = this; c; c = c->parent_)
        if (!c->visible_ || !c->enabled_) return false;
    return true;
}

void WebControl::HandleBrowserEvent(const BrowserEvent&) {}

void WebControl::MarkPending(std::string_view property) {
    if (std::find(pending_.begin(), pending_.end(), property) == pending_.end()) pending_.push_back(property);
    session_.NotePending(*this);
}

void WebControl::WriteProperties(render::PropertyWriter& w) const {
    w.WriteAlways("kind", std::string(kind_));
    w.WriteAlways("parent", parent_ ? parent_->controlId_ : std::string());
    w.Write("name", name_);
    w.Write("left", left_);
    w.Write("top", top_);
    w.Write("width", width_);
    w.Write("height", height_);
    w.Write("lockLeft", lockLeft_);
    w.Write("lockTop", lockTop_);
    w.Write("lockRight", lockRight_);
    w.Write("lockBottom", lockBottom_);
    w.Write("lockHorizontal", lockHorizontal_);
    w.Write("lockVertical", lockVertical_);
    w.Write("visible", visible_);
    w.Write("enabled", enabled_);
    w.Write("cursor", cursor_);
    w.Write("helpTag", helpTag_);
    w.Write("accessibleName", accessibleName_);
    w.Write("zIndex", zIndex_);
    w.Write("style", style_->Name());
}

}  // namespace platform
