// System-modal dialogs (DS_SYSMODAL): Windows puts them in the topmost band;
// Wine does not, so the dialogs that rely on it ask for it explicitly.
#pragma once

#include <windows.h>

namespace kestrune {

// When `dialog` was created with DS_SYSMODAL and is not topmost, moves it
// into the topmost band (position and size unchanged).
void keepSystemModalOnTop(HWND dialog);

}  // namespace kestrune
