// Loading and saving the user's preferences.
#include "settings/preferences.h"

#include "settings/settings_store.h"

#include <utility>

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

bool savePreferences(const SettingsSnapshot& snapshot)
{
    const std::pair<const char*, std::string> values[] = {
        {kSettingReferenceFile, snapshot.referencePath},
        {kSettingLogFolder, snapshot.logPath},
        {kSettingConfirmRemoval, flagText(snapshot.confirmRemoval)},
        {kSettingAutoUpdate, flagText(snapshot.autoCheckUpdates)},
        {kSettingAutoSaveLog, flagText(snapshot.autoSaveLog)},
        {kSettingStartupScanAllowed, flagText(snapshot.mtst)},
        {kSettingRunAtStartup, flagText(snapshot.runAtStartup)},
        {kSettingScanAtStartup, flagText(snapshot.scanAtStartup)},
    };
    bool saved = true;
    for (const auto& value : values)
        saved = writeSetting(value.first, value.second) && saved;
    if (snapshot.runAtStartup == 0) {
        // An entry that was not there is no failure; one left behind is.
        saved = (removeRunEntry(kRunEntryName) || runEntryAbsent(kRunEntryName)) && saved;
        saved = writeSetting(kSettingRunAtStartup, "0") && saved;
    } else {
        saved = addRunEntry(kRunEntryName, runEntryCommandLine()) && saved;
        saved = writeSetting(kSettingRunAtStartup, "1") && saved;
    }
    return saved;
}

}  // namespace kestrune
