#include "platform/render/Renderer.h"

#include <algorithm>

#include "platform/render/Json.h"
#include "platform/web/WebControl.h"

namespace platform::render {
namespace {

int Depth(const WebControl& control) {
    int depth = 0;
    for (const WebControl* p = control.Parent(); p; p = p->Parent()) ++depth;
    return depth;
}

Json Properties(const WebControl& control, bool everything) {
    PropertyWriter writer(everything, control.PendingChanges());
    control.WriteProperties(writer);
    Json object = std::move(writer.impl().object);
    object["id"] = control.ControlID();
    return object;
}

// The control and everything under it, parents first; all of it painted and clean after.
void PaintSubtree(WebControl& control, Json& out) {
    out.push_back(Properties(control, true));
    control.SetPainted(true);
    control.ClearPendingChanges();
    for (WebControl* child : control.Children()) PaintSubtree(*child, out);
}

Json Commands(const std::vector<Command>& commands) {
    Json list = Json::array();
    for (const auto& command : commands) list.push_back(Json{{"kind", command.kind}, {"args", command.args}});
    return list;
}

}  // namespace

void Renderer::Note(WebControl& control) {
    if (std::find(noted_.begin(), noted_.end(), &control) == noted_.end()) noted_.push_back(&control);
}

void Renderer::Forget(WebControl& control) {
    std::erase(noted_, &control);
    if (control.IsPainted()) removed_.push_back(control.ControlID());
}

std::string Renderer::Paint(WebControl& root, const std::string& styleSheet, std::vector<Command> commands) {
    Json controls = Json::array();
    PaintSubtree(root, controls);
    std::erase_if(noted_, [](WebControl* c) { return c->PendingChanges().empty(); });
    removed_.clear();
    Json message{{"t", "page"}, {"root", root.ControlID()}, {"styles", styleSheet}, {"controls", std::move(controls)},
                 {"commands", Commands(commands)}};
    return DumpJson(message);
}

std::optional<std::string> Renderer::Collect(std::vector<Command> commands) {
    std::vector<WebControl*> noted;
    noted.swap(noted_);
    std::stable_sort(noted.begin(), noted.end(),
                     [](const WebControl* a, const WebControl* b) { return Depth(*a) < Depth(*b); });
    Json controls = Json::array();
    for (WebControl* control : noted) {
        if (control->IsPainted()) {
            if (!control->PendingChanges().empty()) controls.push_back(Properties(*control, false));
            control->ClearPendingChanges();
        } else if (control->Parent() && control->Parent()->IsPainted()) {
            PaintSubtree(*control, controls);
        }
        // Otherwise it is not in the browser's tree yet: it goes whole when it joins.
    }
    if (controls.empty() && removed_.empty() && commands.empty()) return std::nullopt;
    Json message{{"t", "update"}, {"controls", std::move(controls)}, {"removed", removed_},
                 {"commands", Commands(commands)}};
    removed_.clear();
    return DumpJson(message);
}

}  // namespace platform::render
