#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// Random-access bytes behind a text stream: a file, or in tests a source that fails on demand.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to into.size() bytes at offset; returns the count, 0 at end of data.
    // Throws IOException when the bytes cannot be read.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<char> into) = 0;
};

// A read-only file, opened at construction (IOException when it cannot be opened
// or is not a regular file) and closed with the object.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const std::string& nativePath);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::size_t ReadAt(std::uint64_t offset, std::span<char> into) override;
    // The file's length now; it may grow while it is read.
    std::uint64_t Size() const;

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace platform
