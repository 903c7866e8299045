// Deleting the selected files and folders.
#include "removal/file_removal.h"

#include "platform/wide_paths.h"

#include "removal/folder_utils.h"
#include "removal/item_refusal.h"
#include "removal/process_control.h"
#include "removal/reboot_pending.h"

#include <vector>

namespace kestrune {

namespace {

RemovalOutcome pathOutcome(ItemKind kind, int p, size_t i, const std::string& name,
                           const std::string& path)
{
    RemovalOutcome outcome;
    outcome.kind = kind;
    outcome.parasiteIndex = p;
    outcome.itemIndex = static_cast<int>(i);
    outcome.name = name;
    outcome.path = path;
    return outcome;
}

void refuse(RemovalOutcome& outcome)
{
    outcome.result = RemovalResult::Refused;
    outcome.protectedPlace = true;
}

// Which of the parasite's files are selected and refused (a refused text, a
// protected place): those are never touched.
std::vector<bool> refusedFiles(const Parasite& parasite, const ProtectedPlaces& places)
{
    std::vector<bool> refused;
    for (const auto& item : parasite.files)
        refused.push_back(item->selected == 1 && pathItemRefused(item->path, item->name, places));
    return refused;
}

void stopParasitePrograms(const Parasite& parasite, const std::vector<bool>& refused,
                          ProgramStopper& stopper)
{
    for (size_t i = 0; i < parasite.files.size(); ++i) {
        const FileItem& item = *parasite.files[i];
        if (item.selected == 1 && !refused[i])
            stopper.stopFile(itemFullPath(item.path, item.name));
    }
}

void removeParasiteFiles(Parasite& parasite, int p, const std::vector<bool>& refused,
                         ProgramStopper& stopper, RemovalRun& run)
{
    for (size_t i = 0; i < parasite.files.size(); ++i) {
        const FileItem& item = *parasite.files[i];
        if (item.selected != 1)
            continue;
        RemovalOutcome outcome = pathOutcome(ItemKind::File, p, i, item.name, item.path);
        if (refused[i]) {
            refuse(outcome);
        } else {
            const std::string full = itemFullPath(item.path, item.name);
            // A program may have been started again meanwhile.
            stopper.stopFile(full);
            outcome.result = deleteOrSchedule(full);
        }
        run.record(parasite, outcome);
    }
}

void removeParasiteFolders(Parasite& parasite, int p, ProgramStopper& stopper, RemovalRun& run)
{
    const ProtectedPlaces& places = run.places();
    RemovalReport* report = run.report();
    // Whatever protected lies inside a removable folder stays, and so does
    // the folder around it.
    const KeepTest keep = [&](const std::string& path, bool isFolder) {
        const bool kept = isFolder ? places.isProtectedFolder(path) : places.isProtectedFile(path);
        if (kept && report != nullptr)
            report->placeKept(path);
        return kept;
    };
    for (size_t i = 0; i < parasite.directories.size(); ++i) {
        const DirectoryItem& item = *parasite.directories[i];
        if (item.selected != 1)
            continue;
        RemovalOutcome outcome = pathOutcome(ItemKind::Folder, p, i, item.name, item.path);
        if (pathItemRefused(item.path, item.name, places)) {
            refuse(outcome);
        } else if (run.ignored() != nullptr &&
                   run.ignored()->holdsBelowFolder(itemFullPath(item.path, item.name),
                                                   &outcome.ignoredInside)) {
            outcome.result = RemovalResult::Refused;
        } else {
            const std::string full = itemFullPath(item.path, item.name);
            stopper.stopFolder(full);
            deleteFolderTree(full, keep);
            outcome.result = folderGone(full) ? RemovalResult::Deleted : RemovalResult::Failed;
        }
        run.record(parasite, outcome);
    }
}

}  // namespace

bool entryGone(const std::string& path)
{
    if (attributesOf(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool folderGone(const std::string& path)
{
    DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return entryGone(path);
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string itemFullPath(const std::string& path, const std::string& name)
{
    return path + "\\" + name;
}

bool itemPathUsable(const std::string& path, const std::string& name)
{
    if (path.empty() || name.empty())
        return false;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type stop = name.find_first_of("\\/", start);
        std::string component =
            name.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
        if (component == "." || component == "..")
            return false;
        if (stop == std::string::npos)
            return true;
        start = stop + 1;
    }
}

RemovalResult deleteOrSchedule(const std::string& fullPath)
{
    if (entryGone(fullPath))
        return RemovalResult::Deleted;
    // A read-only file is removed all the same; its attributes are in the backup.
    DWORD attributes = attributesOf(fullPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        setAttributesOf(fullPath, attributes & ~FILE_ATTRIBUTE_READONLY);
    // DeleteFileA's answer is not trusted: a file another program holds open
    // with delete sharing stays until it is closed, and a folder that refuses
    // changes may keep the file after a delete that reported success.
    deleteFileAt(fullPath);
    if (entryGone(fullPath))
        return RemovalResult::Deleted;
    if (!moveFileAt(fullPath, std::string(), MOVEFILE_DELAY_UNTIL_REBOOT))
        return RemovalResult::Failed;
    rebootPending = true;
    return RemovalResult::Scheduled;
}

void removeFileItems(ParasiteList& parasites, RemovalRun& run)
{
    const ProtectedPlaces& places = run.places();
    std::vector<std::vector<bool>> refused;
    for (int p = 0; p < parasites.count(); ++p)
        refused.push_back(refusedFiles(*parasites.at(p), places));
    // Everything that keeps the files busy is stopped, and waited for, before
    // the first file is deleted. Each pass reads the process list once.
    {
        ProgramStopper firstPass(places, run.report());
        for (int p = 0; p < parasites.count(); ++p)
            stopParasitePrograms(*parasites.at(p), refused[p], firstPass);
    }
    {
        ProgramStopper secondPass(places, run.report());
        for (int p = 0; p < parasites.count(); ++p)
            removeParasiteFiles(*parasites.at(p), p, refused[p], secondPass, run);
    }
    ProgramStopper folderPass(places, run.report());
    for (int p = 0; p < parasites.count(); ++p)
        removeParasiteFolders(*parasites.at(p), p, folderPass, run);
}

}  // namespace kestrune
