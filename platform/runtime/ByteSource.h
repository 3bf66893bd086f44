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
    // The number of bytes now; a file may grow or shrink while it is read.
    virtual std::uint64_t Size() const = 0;
};

// A read-only file, opened at construction (IOException when it cannot be opened
// or is not a regular file) and closed with the object. Opening never blocks, so a FIFO
// or a device put in the file's place is refused instead of holding a thread for good.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const std::string& nativePath);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::size_t ReadAt(std::uint64_t offset, std::span<char> into) override;
    std::uint64_t Size() const override;

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace platform
