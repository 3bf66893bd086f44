#include "platform/web/StartPage.h"

#include "platform/render/HtmlEscape.h"
#include "platform/web/WebApplication.h"
#include "platform/web/WebSession.h"

namespace platform {

using render::HtmlEscape;

std::string StartPage(const WebApplication& app, const WebSession& session) {
    const auto version = [&](const char* name) {
        const auto found = app.ClientFiles().find(name);
        return found == app.ClientFiles().end() ? std::string() : HtmlEscape(found->second.Version());
    };
    std::string page;
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    page += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    page += "<title>" + HtmlEscape(app.LaunchMessage) + "</title>\n";
    page += "<link rel=\"stylesheet\" href=\"/_client/framework.css?v=" + version("framework.css") + "\">\n";
    // The product's icon, when the application brings one; without a link browsers ask for
    // /favicon.ico on every load.
    if (app.ClientFiles().count("icon.svg"))
        page += "<link rel=\"icon\" type=\"image/svg+xml\" href=\"/_client/icon.svg?v=" + version("icon.svg") + "\">\n";
    // Both are HTML by nature and come from the application's code, never from a browser.
    page += app.HTMLHeader;
    page += session._GetAllWebControlWrapperHeaders();
    page += "</head>\n<body>\n";
    page += "<noscript><div class=\"fw-noscript\"><p><b>" + HtmlEscape(session.Text("NoJavascriptMessage")) +
            "</b></p><p>" + HtmlEscape(session.Text("NoJavascriptInstructions")) + "</p></div></noscript>\n";
    page += "<div id=\"fw-launch\" class=\"fw-launch\" role=\"status\"><div class=\"fw-spinner\"></div><span>" +
            HtmlEscape(app.LaunchMessage) + "</span></div>\n";
    page += "<main id=\"fw-root\" data-session=\"" + HtmlEscape(session.Identifier()) + "\" data-disconnect=\"" +
            HtmlEscape(app.DisconnectMessage) + "\"></main>\n";
    page += "<script src=\"/_client/framework.js?v=" + version("framework.js") + "\"></script>\n";
    page += "</body>\n</html>\n";
    return page;
}

std::string BusyPage() {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Busy</title></head>"
           "<body><p>The server is busy. Please try again in a minute.</p></body></html>\n";
}

}  // namespace platform
