// UpdateHost: what the reference-file update needs from the main window. The
// update knows no window class; MainWindow implements this, and tests
// implement it with scripted dialogs.
#pragma once

#include "app/ui_state.h"
#include "definitions/parasite.h"
#include "platform/message_boxes.h"
#include "update/reference_download.h"

#include <windows.h>

#include <string>

namespace kestrune {

// The fixed delays of the update; tests shorten them.
struct UpdateTimings {
    unsigned phaseDelayMs = 3000;   // the progress dialog is up this long before its phase runs
    unsigned pauseMs = 300;         // pause after each phase
    unsigned transferMs = kTransferTimeoutMs;        // each body's whole transfer
    unsigned long maxDownloadSize = kMaxDownloadSize;
};

class UpdateProgressDialog;

class UpdateHost {
public:
    virtual ~UpdateHost() = default;

    // The main window: owner of the update's dialogs and questions.
    virtual HWND window() const = 0;
    virtual MessageBoxes& messageBoxes() = 0;
    virtual UpdateTimings updateTimings() const { return UpdateTimings(); }

    // uiState values used: 0 Idle, 1 Downloading, 5 CheckingReferenceFile.
    virtual void setUiState(UiState state) = 0;
    // True while the scan thread started last is alive; the ParasiteList must
    // not be reloaded then.
    virtual bool scanThreadRunning() const = 0;
    virtual ParasiteList& parasiteList() = 0;

    // The main window's update fields, set by the check phase.
    virtual std::string& updateUrl() = 0;
    virtual std::string& downloadTarget() = 0;

    // Runs the loading dialog on parasiteList(); true when it ended with OK
    // (the reference file existed and a load was attempted).
    virtual bool runLoadingDialog() = 0;
    // Runs the Preferences dialog; true when the user saved with OK.
    virtual bool runPreferencesDialog() = 0;
    // Ends the main window's modal run with `result`; the program closes once
    // control returns to the window's message loop.
    virtual void endWindow(int result) = 0;

    // The progress dialog that is up, so that closing the program can end
    // its transfer; null when it closes.
    virtual void setUpdateUnderWay(UpdateProgressDialog* dialog) { (void)dialog; }
    // True once the program is closing: the update then ends without
    // another question or message.
    virtual bool closing() const { return false; }
};

}  // namespace kestrune
