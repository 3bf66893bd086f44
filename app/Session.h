#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/web/WebSession.h"

class pgLog;

// One browser's session: its one log page, and the texts of the framework's error
// dialog, thank-you page and no-script notice.
class Session : public platform::WebSession {
public:
    Session(const platform::http::HttpRequest& request, std::string identifier);
    static std::shared_ptr<Session> _Create(const platform::http::HttpRequest& request,
                                            const std::string& identifier);

    // The session's log page, made (and opened) on first use, the same object afterwards.
    ::pgLog& pgLog();

    static std::string ErrorDialogQuestion(std::string_view languageCode);
    static std::string ErrorDialogMessage(std::string_view languageCode);
    static std::string ErrorDialogSubmit(std::string_view languageCode);
    static std::string ErrorDialogCancel(std::string_view languageCode);
    static std::string NoJavascriptMessage(std::string_view languageCode);
    static std::string NoJavascriptInstructions(std::string_view languageCode);
    static std::string ErrorThankYou(std::string_view languageCode);
    static std::string ErrorThankYouMessage(std::string_view languageCode);

    std::string Text(std::string_view name) const override;
    std::string _GetAllWebControlWrapperHeaders() const override;
};
