// PreferencesDialog (IDD_PREFERENCES): the one place where the user changes the
// settings: the log folder, the reference file, five on/off preferences and,
// through "Run at Windows startup", the Run entry. It loads the settings when
// it opens and saves them on OK (settings/preferences.h).
#pragma once

#include "platform/message_boxes.h"
#include "settings/preferences.h"
#include "ui/dialog.h"
#include "ui/image_button.h"

#include <windows.h>

#include <string>

namespace kestrune {

// What the Preferences dialog says when savePreferences failed.
extern const char kSaveFailedText[];

class PreferencesDialog : public Dialog {
public:
    explicit PreferencesDialog(MessageBoxes& boxes) : boxes_(boxes) {}

    // Shows the dialog modally over `owner`. IDOK after the settings were
    // saved, IDCANCEL when the user cancelled (also after a failed save,
    // which the dialog reports and stays open after), -1 when it could not be
    // shown.
    INT_PTR run(HWND owner);

    const SettingsSnapshot& snapshot() const { return snapshot_; }

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onCommand(int id, int code);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    void onPickLogFolder();
    void onPickReferenceFile();
    void onOk();
    void readControls();
    void writeControls();

    MessageBoxes& boxes_;
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
