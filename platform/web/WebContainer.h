#pragma once
#include "platform/web/WebControl.h"

namespace platform {

// A control that holds controls. ScrollbarsVisible: 0 automatic (a bar on an axis only
// when the content reaches beyond it), 1 always, 2 never.
class WebContainer : public WebControl {
public:
    explicit WebContainer(std::string name = "WebContainer");

    int ScrollbarsVisible() const { return scrollbars_; }
    void SetScrollbarsVisible(int v) { Assign(scrollbars_, v, "scrollbars"); }

    // Places this container inside parent at the given bounds; on a page already in the
    // browser it appears there with the next batch of changes.
    void EmbedWithin(WebControl& parent, int left, int top, int width, int height);

    void WriteProperties(render::PropertyWriter& writer) const override;

private:
    int scrollbars_ = 0;
};

}  // namespace platform
