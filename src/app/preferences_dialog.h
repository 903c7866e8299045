// PreferencesDialog (IDD_PREFERENCES): the one place where the user changes the
// settings: the log folder, the reference file, five on/off preferences and,
// through "Run at Windows startup", the Run entry. It loads the settings when
// it opens and saves them on OK (settings/preferences.h).
#pragma once

#include "platform/message_boxes.h"
#include "settings/preferences.h"
#include "ui/image_button.h"

#include <windows.h>

#include <string>

namespace kestrune {

// Lets the user pick a folder with the shell's folder picker, starting from
// nothing in particular; returns the picked folder, or `start` when the user
// cancels or the pick has no file-system path (then "Cannot use this path for
// extraction" is shown).
std::string browseForFolder(MessageBoxes& boxes, const std::string& start,
                            const std::string& title);

class PreferencesDialog {
public:
    explicit PreferencesDialog(MessageBoxes& boxes) : boxes_(boxes) {}
    virtual ~PreferencesDialog() = default;
    PreferencesDialog(const PreferencesDialog&) = delete;
    PreferencesDialog& operator=(const PreferencesDialog&) = delete;

    // Shows the dialog modally over `owner`. IDOK after the settings were
    // saved, IDCANCEL when nothing was written, -1 when it could not be shown.
    INT_PTR run(HWND owner);

    const SettingsSnapshot& snapshot() const { return snapshot_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onInitDialog(HWND dialog);
    void onCommand(int id, int code);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    void onPickLogFolder();
    void onPickReferenceFile();
    void onOk();
    void readControls();
    void writeControls();

    MessageBoxes& boxes_;
    HWND dialog_ = nullptr;
    SettingsSnapshot snapshot_;
    ImageButton logFolderButton_;
    ImageButton referenceFileButton_;
    // What the dialog shows.
    std::string logPathText_;
    std::string referencePathText_;
    bool runAtStartup_ = false;
    bool scanAtStartup_ = false;
    bool autoSaveLog_ = false;
    bool confirmRemoval_ = false;
    bool autoCheckUpdates_ = false;
};

}  // namespace kestrune
