// Pruning of the backup archives, so that a PC backed up before every removal
// does not fill its backup folders without end: the archives beyond the
// newest `keep` that are older than `days` days are deleted. An archive's
// date and rank come from its name (archiveFileName, numbered by
// freshArchivePath), and only what is judged a Kestrune archive in one of the
// backup folders is ever counted or deleted. No messages; window thread or
// console.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

// How many archives are kept whatever their age, and the age in days beyond
// which the others go. Either at 0 keeps every archive.
struct PruneLimits {
    unsigned keep = 10;
    unsigned days = 90;
};

// The limits of the settings "bkeep" and "bdays"; the defaults for a value
// that is missing; 0 (keep everything) for a value that is not a whole
// number of at most five digits.
PruneLimits pruneLimitsFromSettings();

// The local time and the number (1 for an unnumbered name) an archive name
// "M,D,YYYY_h,m,s.zip" or "M,D,YYYY_h,m,s (n).zip" was made from. False for
// any other name, a spelling Kestrune never writes (leading zeros, blanks)
// and an impossible date.
bool parseArchiveName(const std::string& name, SYSTEMTIME& local, int& number);

// True when `path` is a Kestrune archive lying directly in one of `folders`:
// its name passes parseArchiveName, it is a plain file holding a
// Manifest.ini, and neither it nor any folder on its path is a link.
bool isKestruneArchiveIn(const std::string& path, const std::vector<std::string>& folders);

struct PruneResult {
    std::vector<std::string> deleted;   // full paths, newest first
    std::vector<std::string> failed;    // due but could not be deleted
};

// Ranks the Kestrune archives of all `folders` together, newest first by the
// date and number in their names, and deletes those beyond the newest
// `limits.keep` that are more than `limits.days` days older than `now` (local
// time). `spare` (the archive just written) is never deleted.
PruneResult pruneBackupArchives(const std::vector<std::string>& folders, const PruneLimits& limits,
                                const SYSTEMTIME& now, const std::string& spare = std::string());

// After a complete backup: prunes the backup folders (archiveFolderPaths())
// with the limits of the settings and the current local time, sparing
// `archivePath`.
PruneResult pruneAfterBackup(const std::string& archivePath);

}  // namespace kestrune
