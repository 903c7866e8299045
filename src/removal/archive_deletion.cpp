// Deleting one backup archive, and nothing else.
#include "removal/archive_deletion.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/system_paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/backup_pruning.h"
#include "removal/backup_reader.h"
#include "removal/folder_utils.h"
#include "safety/protected_places.h"

#include <windows.h>

namespace kestrune {

namespace {

// Where `path` really lies, without the "\\?\" the system puts in front; its
// long spelling where the system cannot resolve paths (before Vista, where
// only the attributes mark links). Empty when it cannot be told.
std::string realPlace(const std::string& finalPath, const std::string& path)
{
    if (finalPath.compare(0, 4, "\\\\?\\") == 0 && finalPath.compare(0, 8, "\\\\?\\UNC\\") != 0)
        return finalPath.substr(4);
    if (!finalPath.empty())
        return finalPath;
    return longPathOf(path);
}

// SetFileInformationByHandle (Vista on) marks the file of a handle for
// deletion when the handle closes.
struct DispositionInfo {
    BOOLEAN deleteFile;
};
const int kFileDispositionInfo = 4;
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

bool deleteThroughHandle(ScopedHandle& file, const std::string& path)
{
    static const SetFileInformationFunction setInformation =
        reinterpret_cast<SetFileInformationFunction>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle"));
    if (setInformation == nullptr) {
        // Before Vista a file has no symbolic links to swap in.
        file.reset();
        return deleteFileAt(path);
    }
    DispositionInfo disposition = {TRUE};
    const bool marked =
        setInformation(file.get(), kFileDispositionInfo, &disposition, sizeof disposition) != FALSE;
    file.reset();
    return marked && attributesOf(path) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool isBackupArchiveName(const std::string& name)
{
    SYSTEMTIME local;
    int number = 0;
    return parseArchiveName(name, local, number);
}

ArchiveDeletion deleteBackupArchive(const std::string& path,
                                    const std::vector<std::string>& backupFolders,
                                    std::string& reason)
{
    const std::string full = fullPathOf(path);
    const std::string::size_type slash = lastBackslash(full);
    if (full.empty() || itemPathRefused(full) || slash == std::string::npos) {
        reason = "not a plain path";
        return ArchiveDeletion::Refused;
    }
    const std::string folder = full.substr(0, slash);
    const std::string name = full.substr(slash + 1);
    if (!isBackupArchiveName(name)) {
        reason = "not the name of a Kestrune backup archive";
        return ArchiveDeletion::Refused;
    }
    // Every part after the drive, the file itself last.
    for (std::string::size_type end = full.find('\\', 3);; end = full.find('\\', end + 1)) {
        const std::string part = full.substr(0, end);
        if (isLink(part)) {
            reason = "a link on the way: " + part;
            return ArchiveDeletion::Refused;
        }
        if (end == std::string::npos)
            break;
    }
    const DWORD attributes = attributesOf(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "not a file";
        return ArchiveDeletion::Refused;
    }
    const std::string folderFinal = finalPathOf(folder);
    const std::string realFolder = realPlace(folderFinal, folder);
    bool inBackupFolder = false;
    for (const std::string& backupFolder : backupFolders) {
        const std::string real = realPlace(finalPathOf(backupFolder), backupFolder);
        inBackupFolder = inBackupFolder || (!real.empty() && sameText(real, realFolder));
    }
    if (!inBackupFolder) {
        reason = "not in a backup folder of Kestrune";
        return ArchiveDeletion::Refused;
    }
    if (!holdsBackupManifest(full)) {
        reason = "not a Kestrune backup archive (no Manifest.ini)";
        return ArchiveDeletion::Refused;
    }
    // Others may read it meanwhile, not replace, rename or delete it.
    ScopedHandle file(openFileAt(full, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
    if (!file.valid()) {
        reason = "it cannot be opened for deletion";
        return ArchiveDeletion::Failed;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const std::string fileFinal = finalPathOfHandle(file.get());
    const DWORD notAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!GetFileInformationByHandle(file.get(), &information) ||
        (information.dwFileAttributes & notAFile) ||
        (fileFinal.empty() && !folderFinal.empty()) ||
        !sameText(realPlace(fileFinal, full), joinPath(realFolder, name))) {
        reason = "it changed while it was checked";
        return ArchiveDeletion::Refused;
    }
    if (!deleteThroughHandle(file, full)) {
        reason = "it could not be deleted";
        return ArchiveDeletion::Failed;
    }
    return ArchiveDeletion::Deleted;
}

}  // namespace kestrune
