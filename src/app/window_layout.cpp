// The main window's layout rules.
#include "app/window_layout.h"

namespace kestrune {

void recordLayout(ControlLayout& layout, const RECT& rect, SIZE clientSize)
{
    layout.recorded = rect;
    layout.rightGap = clientSize.cx - rect.right;
    layout.bottomGap = clientSize.cy - rect.bottom;
}

RECT placeControl(const ControlLayout& layout, SIZE clientSize)
{
    RECT r = layout.recorded;
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    switch (layout.horizontal) {
    case Anchor::Fixed:
        break;
    case Anchor::FarEdge:
        r.right = clientSize.cx - layout.rightGap;
        r.left = r.right - width;
        break;
    case Anchor::Stretch:
        r.right = clientSize.cx - layout.rightGap;
        break;
    }
    switch (layout.vertical) {
    case Anchor::Fixed:
        break;
    case Anchor::FarEdge:
        r.bottom = clientSize.cy - layout.bottomGap;
        r.top = r.bottom - height;
        break;
    case Anchor::Stretch:
        r.bottom = clientSize.cy - layout.bottomGap;
        break;
    }
    return r;
}

void enforceMinimumSize(RECT& window, WPARAM edge, int minWidth, int minHeight)
{
    if (window.right - window.left < minWidth) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
            window.left = window.right - minWidth;
        else
            window.right = window.left + minWidth;
    }
    if (window.bottom - window.top < minHeight) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            window.top = window.bottom - minHeight;
        else
            window.bottom = window.top + minHeight;
    }
}

}  // namespace kestrune
