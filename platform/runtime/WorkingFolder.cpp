#include "platform/runtime/WorkingFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime/RuntimeException.h"

namespace platform {

std::string PrepareWorkingFolder(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        throw RuntimeException("unusable working folder name: " + name);
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && *tmp == '/') ? tmp : "/tmp";
    if (folder.back() != '/') folder += '/';
    folder += name;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw RuntimeException("cannot make " + folder + ": " + std::strerror(errno));
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) throw RuntimeException("cannot inspect " + folder);
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        throw RuntimeException(folder + " is in the way: it exists and is not a private folder of this user. Remove it "
                               "(rm -r " + folder + "), or start the daemon with another TMPDIR");
    return folder;
}

void WritePidFile(const std::string& folder) {
    const std::string path = folder + "/pid";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw RuntimeException("cannot write " + path + ": " + std::strerror(errno));
    const std::string text = std::to_string(::getpid()) + "\n";
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!ok) throw RuntimeException("cannot write " + path);
}

void RemovePidFile(const std::string& folder) { ::unlink((folder + "/pid").c_str()); }

}  // namespace platform
