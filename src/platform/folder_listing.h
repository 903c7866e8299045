// FolderListing: the one way Kestrune lists a folder. It hands out the
// entries of one FindFirstFile/FindNextFile listing (any path length, see
// wide_paths.h) in listing order ("." and ".." included, as listed) and
// keeps the error that ended the listing, so that each caller can judge what
// it could not see. The find handle is closed when the listing goes.
#pragma once

#include "platform/handles.h"

#include <windows.h>

#include <string>

namespace kestrune {

class FolderListing {
public:
    // Opens the listing of `pattern` (a folder joined with "*.*", see
    // listingPattern); the first entry is read at once.
    explicit FolderListing(const std::string& pattern);
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // False when the folder could not be listed at all; error() says why
    // (ERROR_FILE_NOT_FOUND: nothing matched, as in an empty drive root).
    bool opened() const { return find_.valid(); }

    // Moves to the next entry, the first one on the first call: true with
    // entry() filled, false once the listing has ended or never opened.
    bool next();
    const WIN32_FIND_DATAA& entry() const { return entry_; }

    // Once next() has given false: the error that ended the listing,
    // ERROR_NO_MORE_FILES when it ran to its end. ERROR_SUCCESS before.
    DWORD error() const { return error_; }

private:
    WIN32_FIND_DATAA entry_;
    FindHandle find_;
    bool firstTaken_ = false;
    bool ended_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// True for the entries "." and "..".
bool isDotEntry(const char* name);

}  // namespace kestrune
