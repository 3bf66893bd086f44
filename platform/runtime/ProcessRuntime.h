#pragma once

namespace platform {

// What the process does to detach. Tests replace it with one whose Daemonize fails.
class ProcessRuntime {
public:
    virtual ~ProcessRuntime() = default;
    // True when the process now runs detached (or was told to stay in the foreground).
    virtual bool Daemonize();
    void SetForeground(bool foreground) { foreground_ = foreground; }

private:
    bool foreground_ = false;
};

// Ignores SIGPIPE so that a browser closing its socket mid-write never ends the process.
void IgnoreBrokenPipes();

}  // namespace platform
