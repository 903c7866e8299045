// The main window's user-interface state (uiState) and what each value does
// to the command buttons, the result list, the status line and the stop
// button.
#pragma once

#include <windows.h>

namespace kestrune {

// Fixed to int: the scan's state message carries any value, and a value
// outside the table is stored as it came.
enum class UiState : int {
    Idle = 0,
    Downloading = 1,
    Scanning = 2,               // the scan thread's first message
    Removing = 3,
    BackingUp = 4,
    CheckingReferenceFile = 5,
    ScanFinished = 6,           // the scan thread's last message: applied as Idle, stored as 0
    InPreferences = 7,
};

enum class Effect { Unchanged, On, Off };

// One row of the state table.
struct UiStateEffect {
    Effect buttonsEnabled;   // IDC_SCAN, IDC_SCAN_FOLDER, IDC_DELETE, IDC_UPDATE
    Effect listShown;        // IDC_RESULT_LIST, IDC_STATUS_LINE, IDC_STOP_SCAN
                             // (IDC_STOP_SCAN is never disabled)
    UiState storedState;     // what uiState holds afterwards
    const char* statusText;  // written to the status line, or null
};

// The row for `state`; values outside 0..7 change nothing and are stored.
UiStateEffect uiStateEffect(UiState state);

// Applies the row for `state` to the controls of `dialog` and returns the
// value to store in uiState.
UiState applyUiState(HWND dialog, UiState state);

}  // namespace kestrune
