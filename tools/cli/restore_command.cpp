// kestrune-cli restore: lists the backup archives and their items, restores
// an archive's items (a damaged archive is refused with nothing written),
// deletes a backup and prunes the old ones. Asks no questions.
#include "cli.h"
#include "elevation_notice.h"

#include "removal/archive_deletion.h"
#include "removal/backup_pruning.h"
#include "removal/backup_reader.h"
#include "removal/backup_run.h"
#include "removal/folder_utils.h"
#include "removal/restore_run.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "platform/shell.h"
#include "platform/wide_paths.h"
#include "settings/settings_store.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

int noArchive(const std::string& archive)
{
    printError("no backup archive " + archive);
    return kExitUsage;
}

// A path, or a bare file name looked up in the backup folders.
std::string archivePathOf(const std::string& text)
{
    if (text.find_first_of("\\/:") != std::string::npos)
        return text;
    return backupArchivePath(text);
}

bool isFile(const std::string& path)
{
    DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ProtectedPlaces restorePlaces()
{
    return ProtectedPlaces::forThisMachine(ownPlacesFromSettings());
}

int listArchives()
{
    for (const BackupArchiveInfo& archive :
         listBackupArchives(archiveFolderPaths(), restorePlaces())) {
        FILETIME local;
        SYSTEMTIME time;
        FileTimeToLocalFileTime(&archive.written, &local);
        FileTimeToSystemTime(&local, &time);
        char date[64];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                      time.wDay, time.wHour, time.wMinute, time.wSecond);
        const std::string items = archive.items < 0 ? std::string("damaged")
                                                    : std::to_string(archive.items) + " items";
        std::printf("%s\t%s\t%s\t%llu bytes\n", archive.name.c_str(), date, items.c_str(),
                    archive.size);
    }
    return kExitOk;
}

int listItems(const std::string& archive)
{
    std::vector<BackupItem> items;
    std::string reason;
    if (!isFile(archive))
        return noArchive(archive);
    if (!readBackupManifest(archive, restorePlaces(), items, reason)) {
        printError("damaged archive " + archive + ": " + reason);
        return kExitUsage;
    }
    for (const BackupItem& item : items)
        std::printf("%s\t%s\n", kindWord(item.kind, KindWord::Noun), backupItemPlace(item).c_str());
    return kExitOk;
}

int deleteArchive(const std::string& archive)
{
    if (!isFile(archive))
        return noArchive(archive);
    std::string reason;
    switch (deleteBackupArchive(archive, archiveFolderPaths(), reason)) {
    case ArchiveDeletion::Deleted:
        std::printf("deleted: %s\n", archive.c_str());
        return kExitOk;
    case ArchiveDeletion::Refused:
        printError("refused to delete " + archive + ": " + reason);
        return kExitUsage;
    case ArchiveDeletion::Failed:
        break;
    }
    printError("cannot delete " + archive + ": " + reason);
    return kExitFindings;
}

// The limits given, else those of the settings.
int pruneArchives(int keep, int days)
{
    PruneLimits limits = pruneLimitsFromSettings();
    if (keep >= 0)
        limits.keep = static_cast<unsigned>(keep);
    if (days >= 0)
        limits.days = static_cast<unsigned>(days);
    SYSTEMTIME now;
    GetLocalTime(&now);
    const PruneResult result = pruneBackupArchives(archiveFolderPaths(), limits, now);
    for (const std::string& path : result.deleted)
        std::printf("deleted: %s\n", path.c_str());
    for (const std::string& path : result.failed)
        printError("cannot delete " + path);
    return result.failed.empty() ? kExitOk : kExitFindings;
}

class CliRestoreReport : public RestoreReport {
public:
    void itemDone(const RestoreOutcome& outcome) override
    {
        static const char* const kWords[] = {"restored", "exists", "failed"};
        std::string line = std::string(kWords[static_cast<int>(outcome.result)]) + ": " +
                           kindWord(outcome.item.kind, KindWord::Noun) + " " +
                           backupItemPlace(outcome.item);
        if (!outcome.reason.empty())
            line += " (" + outcome.reason + ")";
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
};

int restoreArchive(const std::string& archive, bool force, bool quiet)
{
    if (!isFile(archive))
        return noArchive(archive);
    noteWhenNotElevated();
    if (!quiet)
        std::fprintf(stderr, "restoring %s\n", archive.c_str());
    RestoreOptions options;
    options.force = force;
    options.logFolder = consoleLogFolder();
    options.cookiesFolder = cookiesFolder();
    CliRestoreReport report;
    const RestoreSummary summary = restoreBackup(archive, restorePlaces(), options, &report);
    if (summary.damaged) {
        printError("damaged archive " + archive + ": " + summary.reason +
                   "; nothing was restored");
        return kExitUsage;
    }
    std::printf("%d restored, %d exist, %d failed\n", summary.restored, summary.exists,
                summary.failed);
    std::printf("log: %s\n", summary.logPath.c_str());
    return summary.exists + summary.failed > 0 ? kExitFindings : kExitOk;
}

}  // namespace

int runRestoreCommand(const RestoreCommandOptions& options)
{
    if (options.prune)
        return pruneArchives(options.keep, options.days);
    if (options.list)
        return options.archive.empty() ? listArchives() : listItems(archivePathOf(options.archive));
    const std::string archive = archivePathOf(options.archive);
    return options.remove ? deleteArchive(archive)
                          : restoreArchive(archive, options.force, options.quiet);
}

}  // namespace cli
}  // namespace kestrune
