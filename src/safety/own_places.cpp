// Kestrune's own places, read from the settings.
#include "safety/own_places.h"

#include "settings/settings_store.h"

#include <windows.h>

namespace kestrune {

namespace {

const char kBackupFolderName[] = "KestruneBackup";

std::string temporaryFolder()
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, buffer);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(buffer, n);
}

}  // namespace

OwnPlaces ownPlacesFromSettings()
{
    OwnPlaces own;
    own.programFolder = programFolder();
    own.programFile = programPath();
    own.referenceFile = referenceFilePath();
    own.logFolder = logFolder();
    if (!own.programFolder.empty())
        own.backupFolder = own.programFolder + kBackupFolderName;
    const std::string temp = temporaryFolder();
    if (!temp.empty())
        own.temporaryBackupFolder = temp + kBackupFolderName;
    own.settingsKey = kSettingsKeyPath;
    return own;
}

}  // namespace kestrune
