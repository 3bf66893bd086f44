#include "app/Current.h"

#include "app/App.h"
#include "app/Session.h"
#include "platform/runtime/RuntimeException.h"

namespace current {

::App& App() {
    auto* app = dynamic_cast<::App*>(&platform::WebApplication::Instance());
    if (!app) throw platform::NilObjectException("the application is not an App");
    return *app;
}

::Session* Session() { return dynamic_cast<::Session*>(platform::WebSession::Current()); }

::pgLog& pgLog() {
    ::Session* session = Session();
    if (!session) throw platform::NilObjectException("no current session");
    return session->pgLog();
}

}  // namespace current
