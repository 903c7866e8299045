// The registry part of a backup: preparing the temporary backup folder and
// exporting every selected key, and the key of every selected value, with
// regedit.exe "/e" into it. Each export is waited for. Window thread only.
#pragma once

#include "definitions/parasite.h"
#include "platform/registry_views.h"
#include "removal/backup_session.h"
#include "safety/protected_places.h"

#include <string>

namespace kestrune {

// The temporary backup folder: the temp path followed by "KestruneBackup";
// empty when the temp path cannot be fetched.
std::string backupFolderPath();

// Empties `folder` when it exists (what an earlier backup left goes), creates
// it otherwise. True when the folder exists and is empty afterwards.
bool prepareBackupFolder(const std::string& folder);

// regedit.exe's parameters for exporting `keyText` into `exportPath`:
// /e "<export path>" "<key text>".
std::string registryExportParameters(const std::string& exportPath, const std::string& keyText);

// Runs regedit.exe with those parameters and waits for it
// (kHelperProgramWait, through `responsiveness` when given). True when it
// ended within the wait and the export file exists and is not empty. For the
// 64-bit view (`view` KEY_WOW64_64KEY) the Windows folder's regedit.exe is
// started with the file-system redirection off, so that the 64-bit regedit
// runs rather than the 32-bit copy in SysWOW64, which sees only the 32-bit
// view.
bool exportRegistryKey(const std::string& keyText, const std::string& exportPath,
                       Responsiveness* responsiveness = nullptr,
                       REGSAM view = engineRegistryView());

// For each parasite in list order, each selected RegistryKeyItem: its key
// main\sub\value is exported to "rkBackup<n>.reg" (n its 1-based position in
// the parasite's list); then each selected RegistryValueItem: the whole key
// main\sub that holds it, to "rvBackup<n>.reg". A name already taken in this
// backup gets a number (numberedName). Items the removal refuses (hive
// unknown, key item without a key name, a protected key or value of `places`,
// a key reached through a registry link or whose real name is protected: see
// reachItemKey), a key item that is itself a link (only the link goes), keys
// that cannot be opened and keys or values that are already gone are not
// exported and do not count as failures: there is nothing to lose. Every other export that leaves no
// file is a failed step.
void backupRegistryItems(const ParasiteList& parasites, BackupSession& session,
                         const ProtectedPlaces& places);

}  // namespace kestrune
