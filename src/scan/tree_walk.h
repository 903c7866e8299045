// walkTree: the one walk of a folder's listing that the drive search, the
// folder scan and the drive search's worker threads all make, so that they
// count, skip and descend alike.
#pragma once

#include "platform/folder_listing.h"

#include <windows.h>

#include <string>

namespace kestrune {

// True for the listing errors that mean there is nothing to see: an empty
// listing (an empty drive root), the end of a listing, and a drive without
// its medium. Every other error hides what lies there.
inline bool isNothingToList(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
           error == ERROR_NOT_READY;
}

// A walked folder as the user knows it: "C:" is named "C:\".
inline std::string folderName(const std::string& path)
{
    return path.size() == 2 && path[1] == ':' ? path + "\\" : path;
}

// Lists the folder `path` (no trailing backslash) in listing order. `path`
// is the one buffer of the whole walk: each entry's name is appended and cut
// off again, so it holds `path` as given when the call returns.
//
// `walk` is asked walk.stopping() before each entry (true ends the listing),
// counts every entry with walk.countItem() ("." and ".." included), is shown
// each other entry's full path (walk.show) and told of what cannot be seen
// (walk.unreadable): the folder when its listing fails or breaks off for any
// reason but "nothing there", and an entry named with a '?' (a name outside
// the ANSI code page, which opens nothing). `visitor.folder(fullPath,
// nameAt)` and `visitor.file(fullPath, nameAt)` see every other entry, whose
// name is the text of `fullPath` from `nameAt` on; a folder that is not a
// reparse point (a link or junction, never entered) is then handed to
// `visitor.enter(fullPath)`, which walks it (depth first) or has it walked.
template <typename Walk, typename Visitor>
void walkTree(Walk& walk, std::string& path, Visitor& visitor)
{
    const size_t base = path.size();
    path += "\\*.*";
    FolderListing listing(path);
    path.resize(base);
    if (!listing.opened()) {
        if (!isNothingToList(listing.error()))
            walk.unreadable(folderName(path));
        return;
    }
    while (listing.next()) {
        const WIN32_FIND_DATAA& entry = listing.entry();
        if (walk.stopping())
            return;
        walk.countItem();
        if (isDotEntry(entry.cFileName))
            continue;
        const size_t nameAt = base + 1;
        path += '\\';
        path += entry.cFileName;
        walk.show(path);
        if (path.find('?', nameAt) != std::string::npos) {
            walk.unreadable(path);
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            visitor.folder(path, nameAt);
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                visitor.enter(path);
        } else {
            visitor.file(path, nameAt);
        }
        path.resize(base);
    }
    // A listing broken off in the middle hid the rest of the folder.
    if (!isNothingToList(listing.error()))
        walk.unreadable(folderName(path));
}

}  // namespace kestrune
