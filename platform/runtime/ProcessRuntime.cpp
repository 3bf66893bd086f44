#include "platform/runtime/ProcessRuntime.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

bool ProcessRuntime::Daemonize() {
    if (foreground_) return true;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child > 0) ::_exit(0);  // the launcher's process ends; the daemon goes on
    if (::setsid() < 0) return false;
    // Keep no folder busy: a daemon started from the USB drive must not stop it from unmounting.
    if (::chdir("/") != 0) return false;
    // Standard output and error stay where the launcher pointed them, so a service's
    // log still gets our lines; standard input is nobody's.
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd < 0) return false;
    if (::dup2(nullFd, STDIN_FILENO) < 0) return false;
    if (nullFd != STDIN_FILENO) ::close(nullFd);
    return true;
}

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace platform
