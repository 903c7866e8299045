// Loading and saving the user's preferences.
#include "settings/preferences.h"

#include "settings/settings_store.h"

namespace kestrune {

namespace {

void loadFlag(const char* name, int& flag)
{
    std::string text;
    if (readSetting(name, text))
        flag = text == "1" ? 1 : 0;
}

const char* flagText(int flag) { return flag == 1 ? "1" : "0"; }

}  // namespace

void loadPreferences(SettingsSnapshot& snapshot)
{
    std::string text;
    if (readSetting(kSettingReferenceFile, text))
        snapshot.referencePath = text;
    if (readSetting(kSettingLogFolder, text))
        snapshot.logPath = text;
    loadFlag(kSettingConfirmRemoval, snapshot.confirmRemoval);
    loadFlag(kSettingAutoUpdate, snapshot.autoCheckUpdates);
    loadFlag(kSettingAutoSaveLog, snapshot.autoSaveLog);
    loadFlag(kSettingStartupScanAllowed, snapshot.mtst);
    loadFlag(kSettingRunAtStartup, snapshot.runAtStartup);
    loadFlag(kSettingScanAtStartup, snapshot.scanAtStartup);
}

void savePreferences(const SettingsSnapshot& snapshot)
{
    writeSetting(kSettingReferenceFile, snapshot.referencePath);
    writeSetting(kSettingLogFolder, snapshot.logPath);
    writeSetting(kSettingConfirmRemoval, flagText(snapshot.confirmRemoval));
    writeSetting(kSettingAutoUpdate, flagText(snapshot.autoCheckUpdates));
    writeSetting(kSettingAutoSaveLog, flagText(snapshot.autoSaveLog));
    writeSetting(kSettingStartupScanAllowed, flagText(snapshot.mtst));
    writeSetting(kSettingRunAtStartup, flagText(snapshot.runAtStartup));
    writeSetting(kSettingScanAtStartup, flagText(snapshot.scanAtStartup));
    if (snapshot.runAtStartup == 0) {
        removeRunEntry(kRunEntryName);
        writeSetting(kSettingRunAtStartup, "0");
    } else {
        addRunEntry(kRunEntryName, runEntryCommandLine());
        writeSetting(kSettingRunAtStartup, "1");
    }
}

}  // namespace kestrune
