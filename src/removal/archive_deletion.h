// Deleting a backup archive: only a file that is one of Kestrune's backup
// archives where it really lies, judged by what its path leads to and deleted
// through the handle that was judged. The console's `restore --delete` and
// the restore dialog's Delete both come here.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

// True when `name` is an archive name the backup gives: "M,D,YYYY_h,m,s.zip"
// (archiveFileName), with " (n)" before the ending for a later backup in the
// same second, spelled as Kestrune spells it (parseArchiveName).
bool isBackupArchiveName(const std::string& name);

enum class ArchiveDeletion {
    Deleted,
    Refused,   // not one of Kestrune's backup archives: left alone
    Failed,    // one, but it could not be deleted
};

// Deletes the file `path` when it is one of Kestrune's backup archives: a
// plain path with no link in any of its parts, lying in one of
// `backupFolders` (compared where both really lead), with a backup archive's
// name, that opens as a zip archive holding a Manifest.ini (a damaged backup
// can be deleted too). It is deleted through a handle checked once more to
// stand for that same file, so that the name swapped for a link in between
// takes nothing else with it. `reason` says why it was refused or failed.
ArchiveDeletion deleteBackupArchive(const std::string& path,
                                    const std::vector<std::string>& backupFolders,
                                    std::string& reason);

}  // namespace kestrune
