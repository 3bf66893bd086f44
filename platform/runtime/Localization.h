#pragma once
#include <string>
#include <string_view>

namespace platform {

// Looks a text up by key for a language code; an empty code means the current
// session's language. No translations are stored, so the default text is the answer
// for every key and language.
std::string LocalizedText(std::string_view key, std::string_view defaultText, std::string_view languageCode);

}  // namespace platform
