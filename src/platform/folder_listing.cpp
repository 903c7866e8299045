// Listing a folder.
#include "platform/folder_listing.h"

#include "platform/wide_paths.h"

namespace kestrune {

FolderListing::FolderListing(const std::string& pattern)
    : entry_(), find_(findFirstAt(pattern, &entry_))
{
    if (!find_.valid()) {
        error_ = GetLastError();
        ended_ = true;
    }
}

bool FolderListing::next()
{
    if (ended_)
        return false;
    if (!firstTaken_) {
        firstTaken_ = true;
        return true;
    }
    if (findNextAt(find_.get(), &entry_))
        return true;
    error_ = GetLastError();
    ended_ = true;
    return false;
}

bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace kestrune
