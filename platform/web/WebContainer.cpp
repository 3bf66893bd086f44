#include "platform/web/WebContainer.h"

#include "platform/render/PropertyWriter.h"

namespace platform {

WebContainer::WebContainer(std::string name) : WebControl("container", std::move(name)) {}

void WebContainer::EmbedWithin(WebControl& parent, int left, int top, int width, int height) {
    SetBounds(left, top, width, height);
    parent.AddControl(*this);
}

void WebContainer::WriteProperties(render::PropertyWriter& w) const {
    WebControl::WriteProperties(w);
    w.Write("scrollbars", scrollbars_);
}

}  // namespace platform
