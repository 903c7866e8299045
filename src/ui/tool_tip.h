// Tool tips for single controls of a dialog.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// Creates a tool-tip window owned by `dialog` that shows `text` while the
// mouse rests on control `id`. The tip window is destroyed with its owner.
// Returns it, or null when it cannot be created or the control is missing.
HWND addToolTip(HWND dialog, int id, const std::string& text);

}  // namespace kestrune
