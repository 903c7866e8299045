// Run folders of the temporary backup folder and archives never finished.
#include "removal/backup_leftovers.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/process_state.h"
#include "removal/folder_utils.h"

#include <cstdio>
#include <vector>

namespace kestrune {

const char kPartialSuffix[] = ".partial";

namespace {

const char kRunPrefix[] = "run-";

}  // namespace

std::string runFolderName(DWORD processId, const FILETIME& started)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%lu-%08lX%08lX", kRunPrefix,
                  static_cast<unsigned long>(processId),
                  static_cast<unsigned long>(started.dwHighDateTime),
                  static_cast<unsigned long>(started.dwLowDateTime));
    return name;
}

std::string thisRunFolder(const std::string& backupFolder)
{
    FILETIME started = {0, 0}, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &started, &exited, &kernel, &user);
    return joinPath(backupFolder, runFolderName(GetCurrentProcessId(), started));
}

bool runFolderLives(const std::string& name)
{
    unsigned long processId = 0;
    char rest[64];
    if (std::sscanf(name.c_str(), "run-%lu-%63s", &processId, rest) != 2)
        return false;
    FILETIME started;
    return processState(processId, &started) == ProcessState::Running &&
           name == runFolderName(processId, started);
}

bool removeWholeTree(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (isReparsePoint(attributes))
        return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) != FALSE;
    }
    std::vector<std::string> names;
    listFolder(path, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        names.push_back(entry.cFileName);
        return true;
    });
    for (const std::string& name : names)
        removeWholeTree(joinPath(path, name));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

void clearDeadRuns(const std::string& backupFolder)
{
    if (backupFolder.empty())
        return;
    std::vector<std::string> names;
    listFolder(backupFolder, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!folder || !runFolderLives(entry.cFileName))
            names.push_back(entry.cFileName);
        return true;
    });
    for (const std::string& name : names)
        removeWholeTree(joinPath(backupFolder, name));
}

void removeLeftoverPartials(const std::string& archiveFolder)
{
    if (archiveFolder.empty())
        return;
    std::vector<std::string> names;
    listFolder(archiveFolder, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        const std::string name = entry.cFileName;
        const size_t suffix = sizeof kPartialSuffix - 1;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > suffix &&
            _stricmp(name.c_str() + name.size() - suffix, kPartialSuffix) == 0)
            names.push_back(name);
        return true;
    });
    for (const std::string& name : names)
        DeleteFileA(joinPath(archiveFolder, name).c_str());
}

}  // namespace kestrune
