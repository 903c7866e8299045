// A whole backup before a removal: the dated archive in the data folder, the
// registry exports and file copies in the temporary backup folder, packing
// the folder into the archive and emptying it again. Window thread only.
#pragma once

#include "definitions/parasite.h"
#include "removal/backup_session.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

// The folder new backup archives go to: "KestruneBackup" in the data folder
// (beside the program, or the per-user folder when the program folder cannot
// be written); empty when there is none.
std::string archiveFolderPath();

// Every folder backup archives may lie in: archiveFolderPath() first, then
// "KestruneBackup" in the other place of Kestrune's files (dataFolders()).
std::vector<std::string> archiveFolderPaths();

// The archive `name` (a bare file name) in the first of archiveFolderPaths()
// that holds it; in archiveFolderPath() when none does.
std::string backupArchivePath(const std::string& name);

// "M,D,YYYY_h,m,s.zip" from a local time: month first, no leading zeros.
std::string archiveFileName(const SYSTEMTIME& local);

// `folder`\`name`, or the first numbered form of `name` (numberedName) for
// which no file exists yet, nor an unfinished "<name>.partial" of a backup
// under way, so that a backup never replaces an earlier one.
std::string freshArchivePath(const std::string& folder, const std::string& name);

// Where a backup reads and writes; the real places by default.
struct BackupPlaces {
    std::string archiveFolder;   // created (one level) when missing
    std::string backupFolder;    // the temporary folder; each run copies into its own folder there
    std::string cookiesFolder;   // where the cookie files are matched
};
BackupPlaces systemBackupPlaces();

struct BackupOutcome {
    bool archiveOpened = false;
    // Every export, copy and description was written and the archive holds
    // the whole backup folder, closed cleanly and read back whole.
    bool complete = false;
    // An archive holding at least one item now lies at archivePath.
    bool written = false;
    std::string archivePath;   // the archive's name, once chosen
};

// Backs up the selected items of `parasites`: creates the archive folder,
// removes what killed runs left (backup_leftovers.h), opens a new archive
// named from the current local time (never replacing an earlier one) as
// "NAME.zip.partial", exports the registry items, copies the files, folders
// and cookie files into this run's own folder inside the backup folder,
// writes Config.ini and the manifest, adds every entry it made to the
// archive under its path inside that folder (names beginning with a dot
// included), closes the archive, reads it back whole (readBackup) and only
// then renames it to NAME.zip; the run's folder goes in any case. An archive
// that fails any of that is deleted (written stays false), and so is one
// that would hold no item (nothing selected was there to back up). Nothing
// is backed up when the archive does not open. Items the removal refuses against `protectedPlaces`
// are not backed up. `report` may be null.
BackupOutcome makeBackup(const ParasiteList& parasites, BackupReport* report,
                         const ProtectedPlaces& protectedPlaces);
BackupOutcome makeBackup(const ParasiteList& parasites, BackupReport* report,
                         const ProtectedPlaces& protectedPlaces, const BackupPlaces& places);

}  // namespace kestrune
