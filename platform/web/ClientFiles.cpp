#include "platform/web/ClientFiles.h"

#include <cstdio>

#include "platform/client/EmbeddedFiles.h"

namespace platform {
namespace {
// FNV-1a: cheap, stable across runs, enough to tell one build's file from another's.
std::string Validator(std::string_view bytes) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return text;
}
}  // namespace

ClientFileTable EmbeddedClientFiles() {
    ClientFileTable table;
    for (const auto& file : client::kEmbeddedFiles) {
        const std::string_view bytes(reinterpret_cast<const char*>(file.data), file.size);
        const std::string_view gzip(reinterpret_cast<const char*>(file.gzipData), file.gzipSize);
        table.emplace(file.name, ClientFile{file.contentType, bytes, gzip, Validator(bytes)});
    }
    return table;
}

}  // namespace platform
