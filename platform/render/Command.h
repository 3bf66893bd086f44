#pragma once
#include <string>
#include <vector>

namespace platform::render {

// Something for the browser to do after it has applied a batch of changes, in order:
// "msgbox" (text), "url" (address, new window "1"/"0"), "cookie" (fetch address),
// "error" (the dialog's texts), "thanks" (the thank-you texts).
struct Command {
    std::string kind;
    std::vector<std::string> args;
};

}  // namespace platform::render
