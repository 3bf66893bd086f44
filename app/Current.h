#pragma once
// The global accessors: the application, the session whose request this thread serves,
// and that session's log page.
class App;
class Session;
class pgLog;

namespace current {

// The process's application; NilObjectException when there is none.
::App& App();
// The current session, or null on a thread that serves no session.
::Session* Session();
// The current session's log page, made on first use; NilObjectException without a session.
::pgLog& pgLog();

}  // namespace current
