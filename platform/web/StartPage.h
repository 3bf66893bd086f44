#pragma once
#include <string>

namespace platform {

class WebApplication;
class WebSession;

// The page a new browser loads first: the launch text, the no-script notice, and the
// framework's script, which opens the session's channel and builds the application's page.
std::string StartPage(const WebApplication& application, const WebSession& session);

// The short page shown when the server holds as many sessions as it may.
std::string BusyPage();

}  // namespace platform
