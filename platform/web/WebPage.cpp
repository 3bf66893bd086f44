#include "platform/web/WebPage.h"

#include "platform/render/PropertyWriter.h"
#include "platform/web/WebSession.h"

namespace platform {

WebPage::WebPage(std::string name) : WebControl("page", std::move(name)) {}

void WebPage::MsgBox(const std::string& text) { Session().QueueCommand({"msgbox", {text}}); }

void WebPage::ShowURL(const std::string& url, bool inNewWindow) {
    Session().QueueCommand({"url", {url, inNewWindow ? "1" : "0"}});
}

void WebPage::WriteProperties(render::PropertyWriter& w) const {
    WebControl::WriteProperties(w);
    w.Write("title", title_);
    w.Write("minWidth", minWidth_);
    w.Write("minHeight", minHeight_);
}

}  // namespace platform
