#pragma once
#include "logview/TextAlignStyle.h"

// Centred text, the style of the log table.
class csCentreText : public TextAlignStyle {
public:
    csCentreText() : TextAlignStyle("csCentreText", "center") {}
};
