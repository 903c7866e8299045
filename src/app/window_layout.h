// The main window's layout rules: which edges of a control follow the client
// area when the window is sized, and the smallest window a frame drag leaves.
#pragma once

#include <windows.h>

namespace kestrune {

enum class Anchor {
    Fixed,          // left and width (or top and height) stay
    FarEdge,        // right (bottom) edge keeps its distance; width (height) stays
    Stretch,        // left (top) stays; right (bottom) edge keeps its distance
};

struct ControlLayout {
    int id = 0;
    Anchor horizontal = Anchor::Fixed;
    Anchor vertical = Anchor::Fixed;
    RECT recorded = {};    // in client coordinates when recorded
    int rightGap = 0;      // client width - recorded.right
    int bottomGap = 0;     // client height - recorded.bottom
};

// Records a control's rectangle against a client area of `clientSize`.
void recordLayout(ControlLayout& layout, const RECT& rect, SIZE clientSize);

// The control's rectangle for a client area of `clientSize`.
RECT placeControl(const ControlLayout& layout, SIZE clientSize);

// Widens or heightens a window rectangle being dragged by `edge` (a WMSZ_
// value) to at least minWidth x minHeight, moving the dragged side.
void enforceMinimumSize(RECT& window, WPARAM edge, int minWidth, int minHeight);

}  // namespace kestrune
