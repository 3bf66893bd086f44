#include "app/Session.h"

#include <array>
#include <vector>
#include <utility>

#include "logview/pgLog.h"
#include "platform/runtime/Localization.h"

Session::Session(const platform::http::HttpRequest& request, std::string identifier)
    : WebSession(request, std::move(identifier)) {}

std::shared_ptr<Session> Session::_Create(const platform::http::HttpRequest& request, const std::string& identifier) {
    return std::make_shared<Session>(request, identifier);
}

::pgLog& Session::pgLog() {
    if (HasImplicitPage("pgLog")) {
        if (auto* page = dynamic_cast<::pgLog*>(Page("pgLog"))) return *page;
        RemovePage("pgLog");  // an implicit page of that name that is not ours
    }
    auto page = std::make_unique<::pgLog>();
    return static_cast<::pgLog&>(AddPage(std::move(page), true));
}

#define BRIX_SESSION_TEXT(NAME, DEFAULT)                                                   \
    std::string Session::NAME(std::string_view languageCode) {                             \
        return platform::LocalizedText("Session." #NAME, DEFAULT, languageCode);            \
    }

BRIX_SESSION_TEXT(ErrorDialogMessage, "This application has encountered an error and cannot continue.")
BRIX_SESSION_TEXT(ErrorDialogQuestion, "Please describe what you were doing right before the error occurred:")
BRIX_SESSION_TEXT(ErrorDialogSubmit, "Send")
BRIX_SESSION_TEXT(ErrorDialogCancel, "Do Not Send")
BRIX_SESSION_TEXT(ErrorThankYou, "Thank You")
BRIX_SESSION_TEXT(ErrorThankYouMessage, "Your feedback helps us make improvements.")
BRIX_SESSION_TEXT(NoJavascriptMessage, "Javascript must be enabled to access this page.")
BRIX_SESSION_TEXT(NoJavascriptInstructions, "To turn Javascript on, please refer to your browser settings window.")

#undef BRIX_SESSION_TEXT

std::string Session::Text(std::string_view name) const {
    using Lookup = std::string (*)(std::string_view);
    static constexpr std::array<std::pair<std::string_view, Lookup>, 8> texts{{
        {"ErrorDialogMessage", &Session::ErrorDialogMessage},
        {"ErrorDialogQuestion", &Session::ErrorDialogQuestion},
        {"ErrorDialogSubmit", &Session::ErrorDialogSubmit},
        {"ErrorDialogCancel", &Session::ErrorDialogCancel},
        {"ErrorThankYou", &Session::ErrorThankYou},
        {"ErrorThankYouMessage", &Session::ErrorThankYouMessage},
        {"NoJavascriptMessage", &Session::NoJavascriptMessage},
        {"NoJavascriptInstructions", &Session::NoJavascriptInstructions},
    }};
    for (const auto& [textName, lookup] : texts)
        if (textName == name) return lookup("");  // empty: the current session's language
    return WebSession::Text(name);
}

std::string Session::_GetAllWebControlWrapperHeaders() const {
    // No control wrappers: the list of extra header lines is empty, joined with CR LF.
    const std::vector<std::string> headers;
    std::string joined;
    for (std::size_t i = 0; i < headers.size(); ++i) joined += (i ? "\r\n" : "") + headers[i];
    return joined;
}
