// Restoring a backup: each item of a checked archive (readBackup) put back in
// the order of its manifest — registry exports written back key by key and
// value by value as they were checked (registry_restore.h), files, folders
// and cookie files written back with their attributes — each outcome
// reported and written to a restore log, and one event for the restore. A
// damaged archive writes nothing but its event. A file is written only where
// no part of its path is a link, to a new name beside its place and then
// moved over the name, so that a killed restore leaves the old file or the
// new one and a hard link at the place loses only that name (with --force
// too). Runs on the thread that asks for it; waits through the report.
#pragma once

#include "removal/backup_reader.h"
#include "removal/responsiveness.h"
#include "safety/protected_places.h"

#include <string>
#include <vector>

namespace kestrune {

enum class RestoreResult {
    Restored,   // put back, or already there as it was
    Exists,     // a different file is in its place and was left alone
    Failed,
};

struct RestoreOutcome {
    BackupItem item;
    RestoreResult result = RestoreResult::Failed;
    std::string reason;   // why, for Exists and Failed
};

// How a restore tells its owner about each item; waits through
// Responsiveness like the backup does.
class RestoreReport : public Responsiveness {
public:
    virtual void itemDone(const RestoreOutcome& outcome) {}
};

struct RestoreOptions {
    bool force = false;          // replace a different existing file
    std::string logFolder;       // where "Restore D-M-YYYY (h-m-s).txt" goes
    std::string cookiesFolder;   // where cookie files go back
    // The items to restore, by their place in the manifest; empty: all.
    std::vector<bool> chosen;
};

struct RestoreSummary {
    bool damaged = false;   // refused before anything was written
    std::string reason;     // why it was refused
    int restored = 0;
    int exists = 0;
    int failed = 0;
    std::string logPath;
};

// "\Restore D-M-YYYY (h-m-s).txt" for the current UTC time, the dated name
// of the removal logs with "Restore " before it.
std::string restoreLogName();

// The log record of one outcome: TYPE (as in the removal log), ACTION
// (RESTORED, EXISTS or FAILED TO RESTORE), VALUE (a key or "key\value") or
// PATH, and REASON when there is one, each line ending in CR LF.
std::string restoreLogRecord(const RestoreOutcome& outcome);

// Reads and checks `archivePath` (readBackup against `places`); a damaged
// archive is refused with nothing written. Otherwise restores every chosen
// item; the others are passed by, neither reported nor logged. Either way
// ends with the restore's event (KESTRUNE_EVENT_RESTORE, or
// KESTRUNE_EVENT_RESTORE_REFUSED with the reason).
RestoreSummary restoreBackup(const std::string& archivePath, const ProtectedPlaces& places,
                             const RestoreOptions& options, RestoreReport* report);

// Takes `path` out of PendingFileRenameOperations where a removal scheduled
// it for deletion at the restart. True when nothing of it is left there.
bool unscheduleDeletion(const std::string& path);

}  // namespace kestrune
