#pragma once
#include <map>
#include <string>
#include <string_view>

namespace platform {

// One of the framework's browser-side files, embedded in the binary at build time.
struct ClientFile {
    std::string contentType;
    std::string_view bytes;
    std::string_view gzipBytes;  // the same, gzip-compressed at build time; empty when not smaller
    std::string etag;            // a validator derived from the bytes
    // What the start page puts in the file's address, so that a new build's file has a new one.
    std::string Version() const { return etag.substr(1, 8); }
};

using ClientFileTable = std::map<std::string, ClientFile, std::less<>>;

// The files built into this program, by name ("framework.js", ...).
ClientFileTable EmbeddedClientFiles();

}  // namespace platform
