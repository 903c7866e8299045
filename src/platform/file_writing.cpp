// Writing a file beside its place and moving it over the name.
#include "platform/file_writing.h"

#include "platform/handles.h"
#include "platform/path_links.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace kestrune {

namespace {

// Makes a file of a name nobody has used in `folder` and opens it for
// writing; `name` receives its path. Invalid when none could be made.
ScopedHandle newFileIn(const std::string& folder, std::string& name)
{
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        char part[32];
        std::snprintf(part, sizeof part, "~ks%08lx.tmp",
                      static_cast<unsigned long>(seed + attempt));
        name = joinPath(folder, part);
        // CREATE_NEW never opens what is there already, a link included.
        ScopedHandle file(openFileAt(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL));
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
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    ScopedHandle file(openFileAt(path, 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    BY_HANDLE_FILE_INFORMATION information = {};
    return file.valid() && GetFileInformationByHandle(file.get(), &information) &&
           information.nNumberOfLinks == 1;
}

}  // namespace

FileWrite writeFileInPlace(const std::string& path, const std::string& bytes,
                           unsigned long attributes)
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
            deleteFileAt(temporary);
            return FileWrite::NotWritten;
        }
    }
    const DWORD wanted = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    setAttributesOf(temporary, wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
    const auto discard = [&]() {
        setAttributesOf(temporary, FILE_ATTRIBUTE_NORMAL);
        deleteFileAt(temporary);
    };
    if (pathLeadsThroughLink(folder)) {
        discard();
        return FileWrite::LinkOnPath;
    }
    if (readOnlyWithOneName(path))
        setAttributesOf(path, FILE_ATTRIBUTE_NORMAL);
    if (!moveFileAt(temporary, path,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        discard();
        return FileWrite::NotMoved;
    }
    return FileWrite::Written;
}

}  // namespace kestrune
