#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/web/Event.h"
#include "platform/web/WebStyle.h"

namespace platform {

namespace render {
class PropertyWriter;
}
class WebSession;

// What a browser reported with an event, already parsed; absent parts were not sent.
struct BrowserEvent {
    std::string name;
    std::optional<long long> number;
    std::optional<bool> flag;
};

// Cursor codes; 0 takes the cursor of the enclosing element.
namespace cursor {
inline constexpr int Inherit = 0;
inline constexpr int Arrow = 1;
inline constexpr int Pointer = 2;
inline constexpr int Text = 3;
}  // namespace cursor

// The base of every page and control. A control belongs to the session that was current
// when it was made (there must be one) and registers there under a unique ControlID.
// Its owner holds it; parents know their children without owning them, and a control
// that goes away unlinks itself.
//
// Pending changes: a setter returns early when the value is unchanged; otherwise it
// stores the value and marks the property pending, and the session's renderer sends
// the pending properties after the running event.
class WebControl {
public:
    WebControl(std::string_view kind, std::string name);
    virtual ~WebControl();
    WebControl(const WebControl&) = delete;
    WebControl& operator=(const WebControl&) = delete;

    const std::string& ControlID() const { return controlId_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { Assign(name_, std::move(name), "name"); }
    std::string_view Kind() const { return kind_; }
    WebSession& Session() const { return session_; }

    WebControl* Parent() const { return parent_; }
    const std::vector<WebControl*>& Children() const { return children_; }
    // Places child inside this control (after its other children).
    void AddControl(WebControl& child);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { Assign(left_, v, "left"); }
    void SetTop(int v) { Assign(top_, v, "top"); }
    void SetWidth(int v) { Assign(width_, v, "width"); }
    void SetHeight(int v) { Assign(height_, v, "height"); }
    void SetBounds(int left, int top, int width, int height);

    bool LockLeft() const { return lockLeft_; }
    bool LockTop() const { return lockTop_; }
    bool LockRight() const { return lockRight_; }
    bool LockBottom() const { return lockBottom_; }
    bool LockHorizontal() const { return lockHorizontal_; }
    bool LockVertical() const { return lockVertical_; }
    void SetLockLeft(bool v) { Assign(lockLeft_, v, "lockLeft"); }
    void SetLockTop(bool v) { Assign(lockTop_, v, "lockTop"); }
    void SetLockRight(bool v) { Assign(lockRight_, v, "lockRight"); }
    void SetLockBottom(bool v) { Assign(lockBottom_, v, "lockBottom"); }
    void SetLockHorizontal(bool v) { Assign(lockHorizontal_, v, "lockHorizontal"); }
    void SetLockVertical(bool v) { Assign(lockVertical_, v, "lockVertical"); }

    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    void SetVisible(bool v) { Assign(visible_, v, "visible"); }
    void SetEnabled(bool v) { Assign(enabled_, v, "enabled"); }
    int Cursor() const { return cursor_; }
    void SetCursor(int v) { Assign(cursor_, v, "cursor"); }
    const std::string& HelpTag() const { return helpTag_; }
    void SetHelpTag(std::string v) { Assign(helpTag_, std::move(v), "helpTag"); }
    // What a screen reader calls the control; empty: what it would say of it anyway.
    const std::string& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(std::string v) { Assign(accessibleName_, std::move(v), "accessibleName"); }
    int ZIndex() const { return zIndex_; }
    void SetZIndex(int v) { Assign(zIndex_, v, "zIndex"); }
    const std::shared_ptr<WebStyle>& Style() const { return style_; }
    void SetStyle(std::shared_ptr<WebStyle> style);

    Event<> Open;
    // Raises Open as the framework does: a failure goes to the unhandled-failure handling
    // and the caller goes on.
    void RaiseOpen();

    // True when this control and its parents are all visible and enabled.
    bool AcceptsEvents() const;
    // An event from the browser; unknown events are ignored. Exceptions leave to the caller.
    virtual void HandleBrowserEvent(const BrowserEvent& event);
    // True for an event that only asks to see more of the control (rows scrolled into
    // view); it changes nothing, so it is served even while the control is disabled.
    virtual bool IsViewRequest(const BrowserEvent&) const { return false; }

    // --- the renderer's side of pending changes ---
    const std::vector<std::string_view>& PendingChanges() const { return pending_; }
    void ClearPendingChanges() { pending_.clear(); }
    bool IsPainted() const { return painted_; }
    void SetPainted(bool painted) { painted_ = painted; }
    // Writes this control's properties (all, or the pending ones) for the wire.
    virtual void WriteProperties(render::PropertyWriter& writer) const;

protected:
    template <class T>
    void Assign(T& field, T value, std::string_view property) {
        if (field == value) return;
        field = std::move(value);
        MarkPending(property);
    }
    void MarkPending(std::string_view property);
    // For a value the browser itself reported: it already shows it, and an echo that
    // arrived after the user's next key press would undo that press.
    void UnmarkPending(std::string_view property) { std::erase(pending_, property); }

private:
    std::string_view kind_;
    WebSession& session_;
    std::string controlId_;
    std::string name_;
    WebControl* parent_ = nullptr;
    std::vector<WebControl*> children_;
    int left_ = 0, top_ = 0, width_ = 100, height_ = 100;
    bool lockLeft_ = true, lockTop_ = true, lockRight_ = false, lockBottom_ = false;
    bool lockHorizontal_ = false, lockVertical_ = false;
    bool visible_ = true, enabled_ = true;
    int cursor_ = cursor::Inherit;
    std::string helpTag_;
    std::string accessibleName_;
    int zIndex_ = 1;
    std::shared_ptr<WebStyle> style_ = WebStyle::Default();
    std::vector<std::string_view> pending_;  // property names, static strings
    bool painted_ = false;                   // the browser has this control
};

}  // namespace platform
