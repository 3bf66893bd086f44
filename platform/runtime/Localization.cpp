#include "platform/runtime/Localization.h"

namespace platform {

std::string LocalizedText(std::string_view /*key*/, std::string_view defaultText, std::string_view /*languageCode*/) {
    return std::string(defaultText);
}

}  // namespace platform
