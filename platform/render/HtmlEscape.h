#pragma once
#include <string>
#include <string_view>

namespace platform::render {

// Text for an HTML element or a quoted attribute: & < > " ' become references.
std::string HtmlEscape(std::string_view text);

}  // namespace platform::render
