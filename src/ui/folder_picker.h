// pickFolder: the shell's folder picker, as the folder scan and Preferences
// use it.
#pragma once

#include "platform/message_boxes.h"

#include <windows.h>

#include <string>

namespace kestrune {

// Lets the user pick a folder, starting from nothing in particular, in the
// shell's picker owned by `owner` (none when null) and titled `title`.
// Returns the picked folder; empty when the user cancels, when the picker
// cannot be shown, or when the pick has no file-system path (then
// `cannotUseText` is shown as a plain message owned by `owner`).
std::string pickFolder(MessageBoxes& boxes, HWND owner, const std::string& title,
                       const std::string& cannotUseText);

}  // namespace kestrune
