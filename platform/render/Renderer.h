#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/render/Command.h"

namespace platform {
class WebControl;
}

namespace platform::render {

// Turns the control tree and its pending changes into wire messages. The first paint and
// every delta go through WriteProperties; a delta carries, parents before children, new
// controls whole, changed ones with their changed properties, and removed ones by id.
class Renderer {
public:
    void Note(WebControl& control);    // it has pending changes
    void Forget(WebControl& control);  // it is going away

    // The whole tree under root, with the style sheet and the queued commands; everything
    // in it counts as painted afterwards.
    std::string Paint(WebControl& root, const std::string& styleSheet, std::vector<Command> commands);
    // The changes since the last message, or nothing when there are none.
    std::optional<std::string> Collect(std::vector<Command> commands);

private:
    std::vector<WebControl*> noted_;
    std::vector<std::string> removed_;
};

}  // namespace platform::render
