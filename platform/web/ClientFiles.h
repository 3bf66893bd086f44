#pragma once
#include <map>
#include <string>
#include <string_view>

namespace platform {

// One of the framework's browser-side files, embedded in the binary at build time.
struct ClientFile {
    std::string contentType;
    std::string_view bytes;
    std::string etag;  // a validator derived from the bytes
};

using ClientFileTable = std::map<std::string, ClientFile, std::less<>>;

// The files built into this program, by name ("framework.js", ...).
ClientFileTable EmbeddedClientFiles();

}  // namespace platform
