// PreferencesDialog (dialog 143): the one place where the user changes the
// settings: the log folder, the reference file, five on/off preferences and,
// through "Run at Windows startup", the Run entry. SettingsSnapshot carries
// the eight user settings from loadPreferences to savePreferences.
#pragma once

#include "platform/message_boxes.h"
#include "ui/dialog.h"
#include "ui/image_button.h"

#include <windows.h>

#include <string>

namespace kestrune {

class SettingsSnapshot {
public:
    virtual ~SettingsSnapshot() = default;
    int scanAtStartup = 0;      // "sas"
    int runAtStartup = 0;       // "ras"
    int autoSaveLog = 0;        // "asl"
    int confirmRemoval = 0;     // "abrs"
    int autoCheckUpdates = 0;   // "acu"
    int mtst = 0;               // "mtst", shown by no control, written back as read
    std::string logPath;        // "lfp"
    std::string referencePath;  // "rfp"
};

// Fills `snapshot` from the settings in the dialog's order ("rfp", "lfp",
// "abrs", "acu", "asl", "mtst", "ras", "sas"); a value that cannot be read
// leaves its field as it was. A flag is 1 exactly when its text is "1".
void loadPreferences(SettingsSnapshot& snapshot);

// Writes the snapshot ("rfp", "lfp", then the six flags as "1"/"0"), then
// adds or removes the Run entry and writes "ras" once more to match. Every
// write is tried; false when any value could not be written or the Run entry
// could not be added or removed.
bool savePreferences(const SettingsSnapshot& snapshot);

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
