// Writing a file beside its place and moving it over the name.
#include "platform/file_writing.h"

#include "platform/folder_listing.h"
#include "platform/handles.h"
#include "platform/path_links.h"
#include "platform/paths.h"
#include "platform/process_state.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kestrune {

namespace {

// Makes a file of a name nobody has used in `folder` and opens it for
// writing; `name` receives its path. Invalid when none could be made.
ScopedHandle newFileIn(const std::string& folder, std::string& name)
{
    const DWORD seed = GetTickCount();
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        char part[48];
        std::snprintf(part, sizeof part, "~ks%lu-%08lx.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(seed + attempt));
        name = joinPath(folder, part);
        // CREATE_NEW never opens what is there already, a link included.
        ScopedHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return ScopedHandle();
}

bool writeAll(HANDLE file, const std::string& bytes)
{
    std::string::size_type done = 0;
    while (done < bytes.size()) {
        const DWORD piece =
            static_cast<DWORD>(std::min<std::string::size_type>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return FlushFileBuffers(file) != FALSE;
}

// True when the file at `path` is read-only and has no other name.
bool readOnlyWithOneName(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    ScopedHandle file(CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    return file.valid() && GetFileInformationByHandle(file.get(), &information) &&
           information.nNumberOfLinks == 1;
}

// The process id of a temporary name "~ks<id>-<hex>.tmp"; false for any
// other name.
bool temporaryOwner(const char* name, DWORD& processId)
{
    unsigned long id = 0;
    unsigned long number = 0;
    int used = 0;
    if (name[0] != '~' || std::sscanf(name, "~ks%lu-%8lx.tmp%n", &id, &number, &used) != 2 ||
        name[used] != '\0')
        return false;
    // The same text back: no signs, spaces or leading zeros let through.
    char again[48];
    std::snprintf(again, sizeof again, "~ks%lu-%08lx.tmp", id, number);
    processId = static_cast<DWORD>(id);
    return _stricmp(again, name) == 0;
}

bool processLives(DWORD processId)
{
    return processId == GetCurrentProcessId() || processState(processId) != ProcessState::Gone;
}

// Deletes the temporary file `path` when it is a plain file with one name.
void deleteLeftover(const std::string& path)
{
    {
        ScopedHandle file(CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION information = {};
        if (!file.valid() || !GetFileInformationByHandle(file.get(), &information) ||
            information.nNumberOfLinks != 1 ||
            (information.dwFileAttributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
            return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

void removeDeadTemporaries(const std::string& folder)
{
    std::string place = folder;
    if (place.size() == 2 && place[1] == ':')
        place += '\\';
    if (place.empty() || pathLeadsThroughLink(place))
        return;
    std::vector<std::string> dead;
    FolderListing listing(joinPath(place, "~ks*.tmp"));
    while (listing.next()) {
        const WIN32_FIND_DATAA& entry = listing.entry();
        DWORD owner = 0;
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            temporaryOwner(entry.cFileName, owner) && !processLives(owner))
            dead.push_back(entry.cFileName);
    }
    for (const std::string& name : dead)
        deleteLeftover(joinPath(place, name));
}

FileWrite writeFileInPlace(const std::string& path, const std::string& bytes,
                           unsigned long attributes, void (*beforeMove)())
{
    std::string folder = parentFolderOf(path);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\';   // "C:" alone would be the drive's current folder
    if (pathLeadsThroughLink(folder))
        return FileWrite::LinkOnPath;
    std::string temporary;
    {
        ScopedHandle file = newFileIn(folder, temporary);
        if (!file.valid())
            return FileWrite::NotWritten;
        const bool written = writeAll(file.get(), bytes);
        if (!file.reset() || !written) {
            DeleteFileA(temporary.c_str());
            return FileWrite::NotWritten;
        }
    }
    const DWORD wanted = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    const bool attributesSet =
        SetFileAttributesA(temporary.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted) != FALSE;
    const auto discard = [&]() {
        SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temporary.c_str());
    };
    if (!attributesSet) {
        discard();
        return FileWrite::NotWritten;
    }
    if (beforeMove != nullptr)
        beforeMove();
    if (pathLeadsThroughLink(folder)) {
        discard();
        return FileWrite::LinkOnPath;
    }
    if (readOnlyWithOneName(path))
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        discard();
        return FileWrite::NotMoved;
    }
    return FileWrite::Written;
}

}  // namespace kestrune
