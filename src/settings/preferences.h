// The user's preferences as one record: SettingsSnapshot carries the eight
// settings that the Preferences dialog edits from loadPreferences to
// savePreferences, which also keeps the Run entry in step with "ras".
#pragma once

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

}  // namespace kestrune
