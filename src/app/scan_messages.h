// The messages that the scan threads post to the main window. A found
// message carries the parasite index in its wParam and an owned Find* in its
// lParam, which the receiver deletes (also when it drops the message).
#pragma once

#include "platform/find.h"

#include <windows.h>

namespace kestrune {

const UINT WM_SCAN_STATE = 3002;       // lParam: the new uiState, Scanning or ScanFinished
const UINT WM_SCAN_UNUSED = 3003;
const UINT WM_FOUND_REGKEY = 3004;
const UINT WM_FOUND_REGVALUE = 3005;
const UINT WM_FOUND_FILE = 3006;
const UINT WM_FOUND_FOLDER = 3007;
const UINT WM_FOUND_COOKIE = 3008;

// The found message of a kind, and the kind of a found message (File for a
// message outside WM_FOUND_REGKEY to WM_FOUND_COOKIE).
UINT foundMessage(ItemKind kind);
ItemKind foundKind(UINT message);
inline bool isFoundMessage(UINT message)
{
    return message >= WM_FOUND_REGKEY && message <= WM_FOUND_COOKIE;
}

}  // namespace kestrune
