// Every private window message of the program, by name, with the numbers
// the windows rely on:
// - the scan messages that the scan threads post to the main window
//   (WM_SCAN_STATE and the WM_FOUND_* messages, 3002 to 3008). A found
//   message carries the parasite index in its wParam and an owned Find* in its
//   lParam, which the receiver deletes (also when it drops the message);
// - the notification-area icon's callback (kNotifyIconCallback, also 3002:
//   it goes to the icon's own hidden window, never to the main window);
// - the update dialog's end-of-transfer message;
// - the check lists' WM_XLISTCTRL_CHECKBOX_CLICKED, named beside the list
//   controls (ui/report_list.h), as the controls cannot include the program's
//   windows.
#pragma once

#include "platform/find.h"
#include "ui/report_list.h"

#include <windows.h>

namespace kestrune {

const UINT WM_SCAN_STATE = 3002;       // lParam: the new UiState, Scanning or ScanFinished
const UINT WM_SCAN_UNUSED = 3003;      // reserved: never posted, and ignored
const UINT WM_FOUND_REGKEY = 3004;
const UINT WM_FOUND_REGVALUE = 3005;
const UINT WM_FOUND_FILE = 3006;
const UINT WM_FOUND_FOLDER = 3007;
const UINT WM_FOUND_COOKIE = 3008;
// The range of the scan messages, for taking or dropping them at once.
const UINT kFirstScanMessage = WM_SCAN_STATE;
const UINT kLastScanMessage = WM_FOUND_COOKIE;

// The shell's notifications to the notification-area icon's hidden window.
constexpr UINT kNotifyIconCallback = 3002;

// Posted to the update progress dialog by its transfer thread when the
// transfer has ended.
const UINT WM_UPDATE_TRANSFER_DONE = WM_APP + 0x201;

// The found message of a kind, and the kind of a found message (File for a
// message outside WM_FOUND_REGKEY to WM_FOUND_COOKIE).
UINT foundMessage(ItemKind kind);
ItemKind foundKind(UINT message);
inline bool isFoundMessage(UINT message)
{
    return message >= WM_FOUND_REGKEY && message <= WM_FOUND_COOKIE;
}
inline bool isScanMessage(UINT message)
{
    return message >= kFirstScanMessage && message <= kLastScanMessage;
}

}  // namespace kestrune
