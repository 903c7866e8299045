// LoadingDialog: the small caption-less window that finds and loads the
// reference file named by "rfp" into a ParasiteList behind timed progress
// texts. It asks nothing; repairReferenceFile judges the outcome.
#pragma once

#include "definitions/parasite.h"
#include "ui/dialog.h"

#include <windows.h>

namespace kestrune {

// The fixed delays of the loading sequence; tests may shorten them.
struct LoadingTimings {
    unsigned firstStepMs = 1500;    // from showing the dialog to the first step
    unsigned foundPauseMs = 500;    // after "Searching for definition file." when the file exists
    unsigned afterLoadMs = 200;     // after the load, before the success text
    unsigned loadedPauseMs = 500;   // after "Definitions loaded successfully."
    unsigned notFoundPauseMs = 250; // after "Definition file not found."
};

class LoadingDialog : public Dialog {
public:
    LoadingDialog() = default;

    void setParasiteList(ParasiteList* list) { parasiteList_ = list; }
    void setTimings(const LoadingTimings& timings) { timings_ = timings; }

    // Runs the dialog modally with no parent. IDOK when the reference file
    // existed and loadReferenceFile ran on it (the list is refilled when the
    // file parsed, and may be empty); IDCANCEL when there was no file at the
    // configured path (the list is untouched); -1 when the dialog could not be
    // shown.
    INT_PTR run();

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool onTimer(UINT_PTR id);
    void showText(const char* text);

    ParasiteList* parasiteList_ = nullptr;   // not owned
    LoadingTimings timings_;
};

}  // namespace kestrune
