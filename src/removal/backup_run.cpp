// The backup as a whole: archive, exports, copies, packing.
#include "removal/backup_run.h"

#include "platform/shell.h"
#include "removal/backup_archive.h"
#include "removal/file_backup.h"
#include "removal/folder_utils.h"
#include "removal/registry_backup.h"
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
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
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
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return path;
    }
}

namespace {

bool isFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Adds every entry the backup made under its name, whichever subfolder of the
// backup folder holds it.
bool packEntries(const BackupSession& session, BackupArchive& archive)
{
    bool everything = true;
    for (const std::string& name : session.entries()) {
        const std::string path = session.pathOf(name);
        archive.setRootFolder(session.folderOf(name));
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;   // a copy that failed, already counted as such
        if (!(isFolder(path) ? archive.addFolder(path, false) : archive.addFile(path, false)))
            everything = false;
    }
    return everything;
}

// Empties the backup folder of this backup's entries, their subfolders and
// whatever else the folder walk can remove; the folder itself stays.
void removeEntries(const BackupSession& session)
{
    std::vector<std::string> parts;   // the subfolders, filled one after the other
    for (const std::string& name : session.entries()) {
        const std::string path = session.pathOf(name);
        if (isFolder(path))
            deleteFolderTree(path);
        else
            DeleteFileA(path.c_str());
        const std::string part = session.folderOf(name);
        if (part != session.folder() && (parts.empty() || parts.back() != part))
            parts.push_back(part);
    }
    for (const std::string& part : parts)
        RemoveDirectoryA(part.c_str());
    deleteFolderContents(session.folder());
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
    CreateDirectoryA(places.archiveFolder.c_str(), nullptr);
    SYSTEMTIME local;
    GetLocalTime(&local);
    outcome.archivePath = freshArchivePath(places.archiveFolder, archiveFileName(local));

    BackupArchive archive;
    outcome.archiveOpened = archive.open(outcome.archivePath, places.backupFolder, false);
    if (!outcome.archiveOpened)
        return outcome;
    if (report != nullptr)
        report->archiveOpened(outcome.archivePath);

    BackupSession session(places.backupFolder, report);
    // What an earlier backup left and cannot be removed now (a file held
    // open) does no harm: this backup's names avoid it and only its own
    // entries are packed. Only a folder that is not there fails the backup.
    prepareBackupFolder(places.backupFolder);
    if (!isFolder(places.backupFolder))
        session.stepDone(BackupStep{BackupStepKind::Description, places.backupFolder, "", false});
    backupRegistryItems(parasites, session, protectedPlaces);
    backupFileItems(parasites, session, places.cookiesFolder, protectedPlaces);
    session.writeManifest();

    const bool packed = packEntries(session, archive);
    const bool closed = archive.close();
    session.stepDone(
        BackupStep{BackupStepKind::Archive, places.backupFolder, outcome.archivePath, packed && closed});
    removeEntries(session);
    outcome.complete = session.complete();
    return outcome;
}

}  // namespace kestrune
