#pragma once
// Internal to platform/render and the session's message handling: the JSON library.
#include <nlohmann/json.hpp>

#include "platform/render/PropertyWriter.h"

namespace platform::render {

using Json = nlohmann::json;

struct PropertyWriter::Impl {
    Json object = Json::object();
};

// Texts from the log are bytes; invalid UTF-8 is replaced (U+FFFD), never a failure.
inline std::string DumpJson(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace platform::render
