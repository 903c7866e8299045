// Folder listings under the skip rules, links, and the delete, copy and
// create walks over folder trees.
#include "removal/folder_utils.h"

#include "platform/system_paths.h"
#include "platform/folder_listing.h"
#include "platform/fs_redirection.h"
#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"

#include <vector>

namespace kestrune {

namespace {

bool isDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Tells the entries of one folder that are links, resolving the folder once.
class LinkProbe {
public:
    explicit LinkProbe(const std::string& folder)
        : folder_(folder), resolvedFolder_(finalPathOf(folder))
    {
    }

    bool isLink(const WIN32_FIND_DATAA& entry) const
    {
        if (isReparsePoint(entry.dwFileAttributes))
            return true;
        if (resolvedFolder_.empty())
            return false;
        const std::string resolved = finalPathOf(joinPath(folder_, entry.cFileName));
        return !resolved.empty() && !sameText(resolved, joinPath(resolvedFolder_, entry.cFileName));
    }

private:
    std::string folder_;
    std::string resolvedFolder_;
};

// `responsiveness` is told before each entry; null for the top folder.
bool copyEntries(const std::string& source, const std::string& target,
                 Responsiveness* responsiveness, Responsiveness* subfolders);

// Copies one subfolder, telling `responsiveness` before each of its entries.
bool copySubfolder(const std::string& source, const std::string& target,
                   Responsiveness* responsiveness)
{
    if (!createFolderPath(target))
        return false;
    if (attributesOf(source) == INVALID_FILE_ATTRIBUTES)
        return false;
    return copyEntries(source, target, responsiveness, responsiveness);
}

bool copyEntries(const std::string& source, const std::string& target,
                 Responsiveness* responsiveness, Responsiveness* subfolders)
{
    const LinkProbe links(source);
    return listFolder(source, ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& entry) {
        if (responsiveness != nullptr) {
            // The window's message pump may load DLLs.
            const ScopedFsRedirectionOn pump;
            responsiveness->keepResponsive();
        }
        if (links.isLink(entry))
            return true;   // passed by: a link may lead back into the tree
        const std::string from = joinPath(source, entry.cFileName);
        const std::string to = joinPath(target, entry.cFileName);
        if (isDirectory(entry.dwFileAttributes))
            return copySubfolder(from, to, subfolders);
        return copyFileAt(from, to, false);
    });
}

// A folder that a delete walk may enter: it exists, is a folder, is no link.
bool deletableFolder(const std::string& folder)
{
    DWORD attributes = attributesOf(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && isDirectory(attributes) && !isLink(folder);
}

}  // namespace

bool passedBy(ListingRule rule, const std::string& name)
{
    if (rule == ListingRule::DotPrefix)
        return !name.empty() && name[0] == '.';
    return name == "." || name == "..";
}

bool listFolder(const std::string& folder, ListingRule rule, const FolderVisitor& visit)
{
    FolderListing listing(listingPattern(folder));
    if (!listing.opened())
        return listing.error() == ERROR_FILE_NOT_FOUND;   // nothing matched: an empty folder
    while (listing.next()) {
        if (passedBy(rule, listing.entry().cFileName))
            continue;
        if (!visit(listing.entry()))
            return false;
    }
    return listing.error() == ERROR_NO_MORE_FILES;
}

bool isReparsePoint(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool isLink(const std::string& path)
{
    const std::string trimmed = withoutTrailingBackslashes(path);
    DWORD attributes = attributesOf(trimmed);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (isReparsePoint(attributes))
        return true;
    std::string full = fullPathOf(trimmed);
    const std::string spelled = longPathOf(full);
    if (!spelled.empty())
        full = spelled;
    const std::string::size_type slash = lastBackslash(full);
    if (slash == std::string::npos || slash + 1 == full.size())
        return false;   // a drive root
    const std::string parent = parentPath(full);
    const std::string resolvedParent = finalPathOf(parent);
    const std::string resolved = finalPathOf(full);
    if (resolvedParent.empty() || resolved.empty())
        return false;
    return !sameText(resolved, joinPath(resolvedParent, full.substr(slash + 1)));
}

bool deleteFolderContents(const std::string& folder, const KeepTest& keep)
{
    if (!deletableFolder(folder))
        return false;

    const LinkProbe links(folder);
    bool entryLeft = false;
    bool complete = listFolder(folder, ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& entry) {
        if (links.isLink(entry)) {
            entryLeft = true;   // never delete through a link; go on with the rest
            return true;
        }
        const std::string path = joinPath(folder, entry.cFileName);
        const bool subfolder = isDirectory(entry.dwFileAttributes);
        if (keep && keep(path, subfolder)) {
            entryLeft = true;
            return true;
        }
        if (!subfolder)
            return deleteFileAt(path);
        if (!deleteFolderContents(path, keep))
            return true;   // the subfolder stays; the walk goes on
        return removeFolderAt(path);
    });
    return complete && !entryLeft;
}

bool deleteFolderTree(const std::string& folder, const KeepTest& keep)
{
    DWORD attributes = attributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !isDirectory(attributes))
        return true;
    if (isLink(folder))
        return false;
    if (!deleteFolderContents(folder, keep))
        return false;
    setAttributesOf(folder, FILE_ATTRIBUTE_NORMAL);
    return removeFolderAt(folder);
}

bool copyFolderTree(const std::string& source, const std::string& target,
                    Responsiveness* responsiveness)
{
    if (!createFolderPath(target))
        return false;
    if (attributesOf(source) == INVALID_FILE_ATTRIBUTES)
        return false;
    return copyEntries(source, target, nullptr, responsiveness);
}

bool createFolderPath(const std::string& path)
{
    std::string rest = path;
    std::string::size_type end = rest.find_last_not_of(' ');
    rest.erase(end == std::string::npos ? 0 : end + 1);
    if (!rest.empty() && rest.back() == '\\')
        rest.pop_back();

    // The prefix that is never created: "X:\", "\\server\share\" or "\".
    std::string built;
    std::string::size_type drive = rest.find(":\\");
    if (drive != std::string::npos) {
        built = rest.substr(0, drive + 2);
        rest.erase(0, drive + 2);
    } else if (rest.compare(0, 2, "\\\\") == 0) {
        std::string::size_type server = rest.find('\\', 2);
        std::string::size_type share =
            server == std::string::npos ? std::string::npos : rest.find('\\', server + 1);
        std::string::size_type cut = share == std::string::npos ? rest.size() : share + 1;
        built = rest.substr(0, cut);
        rest.erase(0, cut);
    } else if (!rest.empty() && rest[0] == '\\') {
        built = "\\";   // below the root of the current drive
        rest.erase(0, 1);
    }

    std::string::size_type start = 0;
    while (start <= rest.size()) {
        std::string::size_type slash = rest.find('\\', start);
        std::string::size_type stop = slash == std::string::npos ? rest.size() : slash;
        std::string component = rest.substr(start, stop - start);
        start = stop + 1;
        if (component.empty())
            continue;
        built = joinPath(built, component);
        DWORD attributes = attributesOf(built);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!createFolderAt(built)) {
                attributes = attributesOf(built);   // made meanwhile by someone else?
                if (attributes == INVALID_FILE_ATTRIBUTES || !isDirectory(attributes))
                    return false;
            }
        } else if (!isDirectory(attributes)) {
            return false;
        }
    }
    return true;
}

}  // namespace kestrune
