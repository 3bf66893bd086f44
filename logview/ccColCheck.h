#pragma once
#include <memory>

#include "platform/web/WebCheckbox.h"
#include "platform/web/WebContainer.h"

// One column's check box and the index of the table column it shows or hides.
class ccColCheck : public platform::WebContainer {
public:
    ccColCheck();

    std::unique_ptr<platform::WebCheckbox> cbCol;
    int col = 0;

    void cbCol_ValueChanged(platform::WebCheckbox& sender);
};
