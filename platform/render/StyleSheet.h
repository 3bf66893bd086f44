#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/web/WebStyle.h"

namespace platform::render {

// The session's style sheet: the rule for the page body, then each style in list order,
// each state under the style's class selector. Names and values that could break out of
// a declaration are left out.
std::string RenderStyleSheet(const std::vector<std::shared_ptr<WebStyle>>& styles);

// The class name under which a style's rules stand ("ws-" and the style's name, made safe).
std::string StyleClassName(const std::string& styleName);

}  // namespace platform::render
