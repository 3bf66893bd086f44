#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/runtime/ByteSource.h"
#include "platform/runtime/RuntimeException.h"

namespace platform::testing {

// Bytes in memory behind a stream, for tests and fuzzers; fails on the read numbered
// failOnRead (1-based) when set, as a drive pulled mid-read would.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::string bytes, int failOnRead = 0)
        : bytes_(std::move(bytes)), failOn_(failOnRead) {}

    std::size_t ReadAt(std::uint64_t offset, std::span<char> into) override {
        if (++reads_ == failOn_) throw IOException("device gone");
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(into.size(), bytes_.size() - offset);
        std::memcpy(into.data(), bytes_.data() + offset, n);
        return n;
    }

    std::uint64_t Size() const override { return bytes_.size(); }

private:
    std::string bytes_;
    int failOn_;
    int reads_ = 0;
};

}  // namespace platform::testing
