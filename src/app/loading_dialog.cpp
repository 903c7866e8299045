// LoadingDialog: the loading sequence.
#include "app/loading_dialog.h"

#include "definitions/reference_file.h"
#include "settings/settings_store.h"

#include "resource.h"

#include <shlwapi.h>

namespace kestrune {

INT_PTR LoadingDialog::run()
{
    return runModal(IDD_LOADING, nullptr);
}

INT_PTR LoadingDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        return onTimer(wParam) ? TRUE : FALSE;
    case WM_COMMAND:
        // No buttons; Esc or Enter must not end the sequence half way.
        return TRUE;
    }
    return FALSE;
}

INT_PTR LoadingDialog::onInitDialog(HWND dialog)
{
    showText("Initializing...");
    SetTimer(dialog, IDT_LOADING_STEP, timings_.firstStepMs, nullptr);
    return TRUE;
}

void LoadingDialog::showText(const char* text)
{
    SetDlgItemTextA(window_, IDC_PROGRESS_TEXT, text);
    // The thread sleeps between the texts, so paint each one now.
    UpdateWindow(GetDlgItem(window_, IDC_PROGRESS_TEXT));
}

bool LoadingDialog::onTimer(UINT_PTR id)
{
    if (id != IDT_LOADING_STEP)
        return false;
    showText("Searching for definition file.");
    const std::string path = referenceFilePath();
    if (!PathFileExistsA(path.c_str())) {
        showText("Definition file not found.");
        Sleep(timings_.notFoundPauseMs);
        KillTimer(window_, IDT_LOADING_STEP);
        EndDialog(window_, IDCANCEL);
        return true;
    }
    Sleep(timings_.foundPauseMs);
    showText("Loading definitions from file.");
    if (parasiteList_ != nullptr)
        loadReferenceFile(path, *parasiteList_);
    Sleep(timings_.afterLoadMs);
    showText("Definitions loaded successfully.");
    Sleep(timings_.loadedPauseMs);
    KillTimer(window_, IDT_LOADING_STEP);
    EndDialog(window_, IDOK);
    return true;
}

}  // namespace kestrune
