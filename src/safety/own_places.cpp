// Kestrune's own places, read from the settings.
#include "safety/own_places.h"

#include "platform/system_text.h"
#include "settings/data_folder.h"
#include "settings/settings_store.h"

#include <windows.h>

namespace kestrune {

namespace {

std::string temporaryFolder()
{
    return temporaryFolderPath();
}

}  // namespace

OwnPlaces ownPlacesFromSettings()
{
    OwnPlaces own;
    own.programFolder = programFolder();
    own.programFile = programPath();
    own.referenceFile = referenceFilePath();
    own.settingsReferenceFile = own.referenceFile;   // kept when the owner names another in use
    own.logFolder = logFolder();
    const std::string data = dataFolder();
    if (!data.empty())
        own.backupFolder = data + kBackupFolderName;
    own.dataFolders = dataFolders();
    const std::string temp = temporaryFolder();
    if (!temp.empty())
        own.temporaryBackupFolder = temp + kBackupFolderName;
    own.settingsKey = kSettingsKeyPath;
    return own;
}

}  // namespace kestrune
