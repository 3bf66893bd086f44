#pragma once
#include <string>

#include "platform/web/WebContainer.h"

// The column group: an empty container that receives the column check boxes.
class ccCBGroup : public platform::WebContainer {
public:
    // Makes a group with the class defaults, then gives it the name.
    explicit ccCBGroup(std::string name = "ccCBGroup");
};
