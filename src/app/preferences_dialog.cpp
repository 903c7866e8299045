// PreferencesDialog: loading, validating and saving the user's settings.
#include "app/preferences_dialog.h"

#include "app/ignored_items_dialog.h"

#include "ui/folder_picker.h"
#include "ui/tool_tip.h"

#include "resource.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <vector>

namespace kestrune {

const char kSaveFailedText[] = "The settings could not be saved.";

namespace {

std::string controlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(control, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? got : 0);
}

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void setChecked(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

INT_PTR PreferencesDialog::run(HWND owner)
{
    return runModal(IDD_PREFERENCES, owner);
}

INT_PTR PreferencesDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR PreferencesDialog::onInitDialog(HWND dialog)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    logFolderButton_.attach(dialog, IDC_PICK_LOG_FOLDER, instance, IDB_FOLDER_BUTTON,
                            IDB_FOLDER_BUTTON);
    addToolTip(dialog, IDC_PICK_LOG_FOLDER, "Select folder for creating log files");
    referenceFileButton_.attach(dialog, IDC_PICK_REFERENCE_FILE, instance, IDB_BROWSE_BUTTON,
                                IDB_BROWSE_BUTTON);
    addToolTip(dialog, IDC_PICK_REFERENCE_FILE, "Browse for definition file");

    loadPreferences(snapshot_);
    referencePathText_ = snapshot_.referencePath;
    logPathText_ = snapshot_.logPath;
    confirmRemoval_ = snapshot_.confirmRemoval == 1;
    autoCheckUpdates_ = snapshot_.autoCheckUpdates == 1;
    autoSaveLog_ = snapshot_.autoSaveLog == 1;
    runAtStartup_ = snapshot_.runAtStartup == 1;
    scanAtStartup_ = snapshot_.scanAtStartup == 1;
    writeControls();
    return TRUE;
}

void PreferencesDialog::readControls()
{
    logPathText_ = controlText(window_, IDC_LOG_PATH);
    referencePathText_ = controlText(window_, IDC_REFERENCE_PATH);
    runAtStartup_ = isChecked(window_, IDC_RUN_AT_STARTUP);
    scanAtStartup_ = isChecked(window_, IDC_SCAN_AT_STARTUP);
    autoSaveLog_ = isChecked(window_, IDC_AUTO_SAVE_LOG);
    confirmRemoval_ = isChecked(window_, IDC_CONFIRM_REMOVAL);
    autoCheckUpdates_ = isChecked(window_, IDC_AUTO_CHECK_UPDATES);
}

void PreferencesDialog::writeControls()
{
    SetDlgItemTextA(window_, IDC_LOG_PATH, logPathText_.c_str());
    SetDlgItemTextA(window_, IDC_REFERENCE_PATH, referencePathText_.c_str());
    setChecked(window_, IDC_RUN_AT_STARTUP, runAtStartup_);
    setChecked(window_, IDC_SCAN_AT_STARTUP, scanAtStartup_);
    setChecked(window_, IDC_AUTO_SAVE_LOG, autoSaveLog_);
    setChecked(window_, IDC_CONFIRM_REMOVAL, confirmRemoval_);
    setChecked(window_, IDC_AUTO_CHECK_UPDATES, autoCheckUpdates_);
}

void PreferencesDialog::onCommand(int id, int code)
{
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_PICK_LOG_FOLDER:
        onPickLogFolder();
        break;
    case IDC_PICK_REFERENCE_FILE:
        onPickReferenceFile();
        break;
    case IDC_IGNORED_ITEMS: {
        // Its changes are the ignore list's own: Cancel here keeps them.
        IgnoredItemsDialog ignored;
        ignored.run(window_);
        break;
    }
    case IDOK:
        onOk();
        break;
    case IDCANCEL:
        EndDialog(window_, IDCANCEL);
        break;
    }
}

void PreferencesDialog::onDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID == IDC_PICK_LOG_FOLDER)
        logFolderButton_.draw(item);
    else if (item.CtlID == IDC_PICK_REFERENCE_FILE)
        referenceFileButton_.draw(item);
}

// The picker's owner is the program's main window: the active top-level
// window of this thread, or none. A cancelled or unusable pick keeps the
// folder that was there.
void PreferencesDialog::onPickLogFolder()
{
    readControls();
    const std::string picked = pickFolder(boxes_, GetActiveWindow(),
                                          "Please choose a folder for extraction",
                                          "Cannot use this path for extraction");
    if (!picked.empty())
        logPathText_ = picked;
    SetDlgItemTextA(window_, IDC_LOG_PATH, logPathText_.c_str());
}

void PreferencesDialog::onPickReferenceFile()
{
    readControls();
    std::vector<char> file(MAX_PATH * 4, '\0');
    referencePathText_.copy(file.data(), file.size() - 1);
    // "All Files(*.*)|*.ks||": one entry whose pattern is *.ks.
    static const char kFilter[] = "All Files(*.*)\0*.ks\0\0";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window_;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameA(&ofn))
        return;
    referencePathText_ = file.data();
    SetDlgItemTextA(window_, IDC_REFERENCE_PATH, referencePathText_.c_str());
}

void PreferencesDialog::onOk()
{
    readControls();
    if (!PathFileExistsA(logPathText_.c_str())) {
        showPlainMessage(boxes_, window_, "Invalid log file path.");
        return;
    }
    snapshot_.logPath = logPathText_;
    if (!PathFileExistsA(referencePathText_.c_str())) {
        showPlainMessage(boxes_, window_, "Invalid definition file path.");
        return;
    }
    snapshot_.referencePath = referencePathText_;
    snapshot_.scanAtStartup = scanAtStartup_ ? 1 : 0;
    snapshot_.runAtStartup = runAtStartup_ ? 1 : 0;
    snapshot_.autoSaveLog = autoSaveLog_ ? 1 : 0;
    snapshot_.confirmRemoval = confirmRemoval_ ? 1 : 0;
    snapshot_.autoCheckUpdates = autoCheckUpdates_ ? 1 : 0;
    if (!savePreferences(snapshot_)) {
        showPlainMessage(boxes_, window_, kSaveFailedText);
        return;
    }
    EndDialog(window_, IDOK);
}

}  // namespace kestrune
