#include "platform/runtime/ByteSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/runtime/RuntimeException.h"

namespace platform {

static_assert(sizeof(off_t) == 8, "logs of 2 GiB and more need 64-bit file offsets (_FILE_OFFSET_BITS=64)");

FileByteSource::FileByteSource(const std::string& nativePath) : path_(nativePath) {
    fd_ = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) throw IOException("cannot open " + path_ + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw IOException("not a readable file: " + path_);
    }
    // A regular file reads the same either way; blocking reads are the plain case.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

FileByteSource::~FileByteSource() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, std::span<char> into) {
    for (;;) {
        const ssize_t n = ::pread(fd_, into.data(), into.size(), static_cast<off_t>(offset));
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw IOException("cannot read " + path_ + ": " + std::strerror(errno));
    }
}

std::uint64_t FileByteSource::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw IOException("cannot read the size of " + path_ + ": " + std::strerror(errno));
    return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace platform
