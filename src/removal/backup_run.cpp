// The backup as a whole: archive, exports, copies, packing.
#include "removal/backup_run.h"

#include "platform/fs_redirection.h"
#include "platform/shell.h"
#include "platform/wide_paths.h"
#include "removal/backup_archive.h"
#include "removal/backup_leftovers.h"
#include "removal/backup_reader.h"
#include "removal/file_backup.h"
#include "removal/folder_utils.h"
#include "removal/registry_backup.h"
#include "removal/test_stop.h"
#include "settings/data_folder.h"

#include <cstdio>
#include <vector>

namespace kestrune {

std::string archiveFolderPath()
{
    const std::string folder = dataFolder();
    if (folder.empty())
        return std::string();
    return folder + kBackupFolderName;
}

std::vector<std::string> archiveFolderPaths()
{
    std::vector<std::string> folders;
    for (const std::string& folder : dataFolders())
        folders.push_back(folder + kBackupFolderName);
    return folders;
}

std::string backupArchivePath(const std::string& name)
{
    for (const std::string& folder : archiveFolderPaths()) {
        const std::string path = joinPath(folder, name);
        if (attributesOf(path) != INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return joinPath(archiveFolderPath(), name);
}

std::string archiveFileName(const SYSTEMTIME& local)
{
    char name[96];
    std::snprintf(name, sizeof name, "%d,%d,%d_%d,%d,%d.zip", local.wMonth, local.wDay,
                  local.wYear, local.wHour, local.wMinute, local.wSecond);
    return name;
}

std::string freshArchivePath(const std::string& folder, const std::string& name)
{
    for (int n = 1;; ++n) {
        const std::string path = joinPath(folder, numberedName(name, n));
        // An unfinished archive of that name belongs to a backup under way.
        if (attributesOf(path) == INVALID_FILE_ATTRIBUTES &&
            attributesOf(path + kPartialSuffix) == INVALID_FILE_ATTRIBUTES)
            return path;
    }
}

namespace {

// Adds every entry the backup made under its name, whichever subfolder of the
// backup folder holds it.
bool packEntries(const BackupSession& session, BackupArchive& archive)
{
    bool everything = true;
    for (const std::string& name : session.entries()) {
        const std::string path = session.pathOf(name);
        archive.setRootFolder(session.folderOf(name));
        if (attributesOf(path) == INVALID_FILE_ATTRIBUTES)
            continue;   // a copy that failed, already counted as such
        if (!(isFolder(path) ? archive.addFolder(path, false) : archive.addFile(path, false)))
            everything = false;
        stopHereForTests(kStopWhilePacking);
    }
    return everything;
}

// Reads the closed archive back whole (every entry's CRC-32, the manifest
// against the entries) and only then gives it its name: an archive that
// carries the name is whole. The unfinished file goes when anything fails.
bool finishArchive(const std::string& partial, const std::string& final,
                   const ProtectedPlaces& places)
{
    BackupContents contents;
    std::string reason;
    if (readBackup(partial, places, contents, reason) &&
        moveFileAt(partial, final, MOVEFILE_WRITE_THROUGH))
        return true;
    deleteFileAt(partial);
    return false;
}

}  // namespace

BackupPlaces systemBackupPlaces()
{
    return BackupPlaces{archiveFolderPath(), backupFolderPath(), cookiesFolder()};
}

BackupOutcome makeBackup(const ParasiteList& parasites, BackupReport* report,
                         const ProtectedPlaces& protectedPlaces)
{
    return makeBackup(parasites, report, protectedPlaces, systemBackupPlaces());
}

BackupOutcome makeBackup(const ParasiteList& parasites, BackupReport* report,
                         const ProtectedPlaces& protectedPlaces, const BackupPlaces& places)
{
    BackupOutcome outcome;
    if (places.archiveFolder.empty() || places.backupFolder.empty())
        return outcome;
    createFolderAt(places.archiveFolder);
    SYSTEMTIME local;
    // What killed runs left: unfinished archives and their copies.
    removeLeftoverPartials(places.archiveFolder);
    clearDeadRuns(places.backupFolder);
    GetLocalTime(&local);
    outcome.archivePath = freshArchivePath(places.archiveFolder, archiveFileName(local));

    const std::string partial = outcome.archivePath + kPartialSuffix;
    BackupArchive archive;
    outcome.archiveOpened = archive.open(partial, places.backupFolder, false);
    if (!outcome.archiveOpened)
        return outcome;
    if (report != nullptr)
        report->archiveOpened(outcome.archivePath);

    // This run's copies lie in a folder of its own, so that a later run can
    // tell them from those of a run that still lives. Whatever an earlier
    // run left and cannot be removed now (a file held open) does no harm:
    // only this run's entries are packed. Only a folder that cannot be made
    // fails the backup.
    const std::string runFolder = thisRunFolder(places.backupFolder);
    createFolderPath(runFolder);
    BackupSession session(runFolder, report);
    if (!isFolder(runFolder))
        session.stepDone(BackupStep{BackupStepKind::Description, runFolder, "", false});
    backupRegistryItems(parasites, session, protectedPlaces);
    {
        // The copies are taken from the real System32 and SysWOW64.
        const ScopedFsRedirectionOff realFolders;
        backupFileItems(parasites, session, places.cookiesFolder, protectedPlaces);
    }
    session.writeManifest();

    bool whole = false;
    if (session.holdsItems()) {
        const bool packed = packEntries(session, archive);
        const bool closed = archive.close();
        whole = packed && closed && finishArchive(partial, outcome.archivePath, protectedPlaces);
        session.stepDone(BackupStep{BackupStepKind::Archive, runFolder, outcome.archivePath, whole});
    } else {
        // Nothing was backed up: no archive is kept that holds no item.
        archive.close();
        deleteFileAt(partial);
    }
    removeWholeTree(runFolder);
    outcome.written = whole;
    outcome.complete = session.complete();
    if (whole)
        stopHereForTests(kStopBeforeRemoval);
    return outcome;
}

}  // namespace kestrune
