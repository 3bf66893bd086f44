#pragma once
#include <cstddef>
#include <span>

namespace platform::client {

// The browser-side files, embedded at build time from platform/client/ (generated table).
struct EmbeddedFile {
    const char* name;
    const char* contentType;
    const unsigned char* data;
    std::size_t size;
    const unsigned char* gzipData;  // the same bytes gzip-compressed, or null when that is not smaller
    std::size_t gzipSize;
};

extern const std::span<const EmbeddedFile> kEmbeddedFiles;

}  // namespace platform::client
