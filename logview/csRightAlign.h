#pragma once
#include "logview/TextAlignStyle.h"

// Right-aligned text. In the application's style list; no control uses it.
class csRightAlign : public TextAlignStyle {
public:
    csRightAlign() : TextAlignStyle("csRightAlign", "right") {}
};
