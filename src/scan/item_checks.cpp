// Item checks and folder walks of the scans.
#include "scan/item_checks.h"

#include "platform/cookie_match.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/text_compare.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace kestrune {

const char kStatusFound[] = "Found";
const char kStatusNotFound[] = "Not Found";

namespace {

// What tells one item's find at one place from another's.
std::string findKey(FindKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    return std::to_string(static_cast<int>(kind)) + ":" + std::to_string(parasiteIndex) + ":" +
           std::to_string(itemIndex) + ":" + foldedText(location);
}

Find makeFind(FindKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    Find find;
    find.kind = kind;
    find.parasiteIndex = parasiteIndex;
    find.itemIndex = itemIndex;
    find.location = location;
    return find;
}

}  // namespace

bool ScanRun::report(FindKind kind, int parasiteIndex, int itemIndex, const std::string& location,
                     const std::string& alias)
{
    const Find find = makeFind(kind, parasiteIndex, itemIndex, location);
    if (ignored_ != nullptr &&
        (ignored_->contains(kind, location) || (!alias.empty() && ignored_->contains(kind, alias)))) {
        // The drive search meets the Windows folder twice.
        if (ignoredFinds_.insert(findKey(kind, parasiteIndex, itemIndex, location)).second) {
            ++ignoredCount_;
            reporter_.ignoredFind(find);
        }
        return false;
    }
    parasites_.at(parasiteIndex)->status = kStatusFound;
    reporter_.found(find);
    return true;
}

void ScanRun::skip(FindKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    if (!skipped_.insert(findKey(kind, parasiteIndex, itemIndex, location)).second)
        return;
    reporter_.protectedSkipped(makeFind(kind, parasiteIndex, itemIndex, location));
}

bool itemTextRefused(const std::string& path, const std::string& name)
{
    if (itemNameRefused(name))
        return true;
    return !path.empty() && itemPathRefused(trimmedLocation(path + "\\" + name));
}

std::string trimmedLocation(const std::string& text)
{
    const char kWhite[] = " \t\r\n";
    size_t first = text.find_first_not_of(kWhite);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(kWhite);
    return text.substr(first, last - first + 1);
}

namespace {

template <typename Item>
void checkPlacedItem(ScanRun& run, int parasiteIndex, int itemIndex, PendingList<Item>& pending,
                     FindKind kind)
{
    Item& item = *itemsOf<Item>(*run.parasites().at(parasiteIndex))[itemIndex];
    const std::string location = item.path + "\\" + item.name;
    run.show(location);
    if (itemTextRefused(item.path, item.name)) {
        item.found = 0;
        run.skip(kind, parasiteIndex, itemIndex,
                 item.path.empty() ? item.name : trimmedLocation(location));
    } else if (item.path.empty()) {
        pending.append(PendingSearch{parasiteIndex, itemIndex});
    } else {
        const std::string trimmed = trimmedLocation(location);
        if (!PathFileExistsA(trimmed.c_str())) {
            item.found = 0;
        } else if (run.placeProtected(trimmed)) {
            item.found = 0;
            run.skip(kind, parasiteIndex, itemIndex, trimmed);
        } else {
            item.found = run.report(kind, parasiteIndex, itemIndex, trimmed) ? 1 : 0;
        }
    }
    run.countItem();
}

// The folder with its trailing backslashes removed: "C:\" gives "C:".
std::string withoutTrailingBackslashes(const std::string& folder)
{
    size_t end = folder.find_last_not_of('\\');
    return end == std::string::npos ? std::string() : folder.substr(0, end + 1);
}

// True for the listing errors that mean there is nothing to see: an empty
// listing (an empty drive root), the end of a listing, and a drive without
// its medium. Every other error hides what lies there.
bool isNothingToList(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
           error == ERROR_NOT_READY;
}

// A walked folder as the user knows it: "C:" is named "C:\".
std::string folderName(const std::string& path)
{
    return path.size() == 2 && path[1] == ':' ? path + "\\" : path;
}

// Walks the tree below `path` (no trailing backslash), depth first. `path` is
// the one buffer of the whole walk: each level appends an entry's name and
// cuts it off again, so it holds `path` as given when the call returns.
// `visitor.folder(name, fullPath)` and `visitor.file(name, fullPath)` see
// every entry but "." and ".." and those named with a '?'; only one listing
// is open per level.
template <typename Visitor>
void walkTree(ScanRun& run, std::string& path, Visitor& visitor)
{
    const size_t base = path.size();
    path += "\\*.*";
    FolderListing listing(path);
    path.resize(base);
    if (!listing.opened()) {
        if (!isNothingToList(listing.error()))
            run.unreadable(folderName(path));
        return;
    }
    std::string name;
    while (listing.next()) {
        const WIN32_FIND_DATAA& entry = listing.entry();
        if (run.stopping())
            return;
        run.countItem();
        if (isDotEntry(entry.cFileName))
            continue;
        name = entry.cFileName;
        path += '\\';
        path += name;
        run.show(path);
        if (name.find('?') != std::string::npos) {
            run.unreadable(path);
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            visitor.folder(name, path);
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                walkTree(run, path, visitor);
        } else {
            visitor.file(name, path);
        }
        path.resize(base);
    }
    // A listing broken off in the middle hid the rest of the folder.
    if (!isNothingToList(listing.error()))
        run.unreadable(folderName(path));
}

template <typename Item>
void matchPending(ScanRun& run, PendingList<Item>& pending, const std::string& entryName,
                  const std::string& fullPath, FindKind kind)
{
    const PendingSearch* record = pending.firstUnfound(entryName);
    if (record == nullptr)
        return;
    const PendingSearch taken = *record;
    // The item stays pending: a later entry of its name may take it.
    if (run.placeProtected(fullPath)) {
        run.skip(kind, taken.parasiteIndex, taken.itemIndex, fullPath);
        return;
    }
    // An ignored entry leaves the item pending too.
    if (!run.report(kind, taken.parasiteIndex, taken.itemIndex, fullPath))
        return;
    Item& item = pending.item(taken);
    item.path = parentFolderOf(fullPath);
    item.found = 1;
}

template <typename Item>
void matchDefined(ScanRun& run, const DefinedIndex<Item>& index, const std::string& entryName,
                  const std::string& fullPath, FindKind kind)
{
    const std::vector<PendingSearch>* named = index.named(entryName);
    if (named == nullptr)
        return;
    const std::string parent = parentFolderOf(fullPath);
    int reportedParasite = -1;
    enum { NotAsked, Free, Protected } place = NotAsked;
    // The records come in definition order, so those of one parasite are
    // next to each other and "go on with the next parasite" is a skip.
    for (const PendingSearch& record : *named) {
        if (record.parasiteIndex == reportedParasite)
            continue;
        Item& item = *itemsOf<Item>(*run.parasites().at(record.parasiteIndex))[record.itemIndex];
        if (!sameText(item.path, parent) || itemTextRefused(item.path, item.name))
            continue;
        if (place == NotAsked)
            place = run.placeProtected(fullPath) ? Protected : Free;
        reportedParasite = record.parasiteIndex;
        if (place == Protected) {
            run.skip(kind, record.parasiteIndex, record.itemIndex, fullPath);
            continue;
        }
        if (!run.report(kind, record.parasiteIndex, record.itemIndex, fullPath))
            continue;
        item.path = parent;
        item.found = 1;
    }
}

struct PendingVisitor {
    ScanRun& run;
    PendingList<FileItem>& files;
    PendingList<DirectoryItem>& folders;
    void folder(const std::string& name, const std::string& fullPath)
    {
        matchPendingFolder(run, folders, name, fullPath);
    }
    void file(const std::string& name, const std::string& fullPath)
    {
        matchPendingFile(run, files, name, fullPath);
    }
};

struct DefinedVisitor {
    ScanRun& run;
    DefinedIndex<FileItem> files;
    DefinedIndex<DirectoryItem> folders;
    void folder(const std::string& name, const std::string& fullPath)
    {
        matchDefinedFolder(run, folders, name, fullPath);
    }
    void file(const std::string& name, const std::string& fullPath)
    {
        matchDefinedFile(run, files, name, fullPath);
    }
};

struct CookieFile {
    std::string fullPath;
    std::string name;
};

}  // namespace

void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<FileItem>& pendingFiles)
{
    checkPlacedItem(run, parasiteIndex, itemIndex, pendingFiles, FindKind::File);
}

void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<DirectoryItem>& pendingFolders)
{
    checkPlacedItem(run, parasiteIndex, itemIndex, pendingFolders, FindKind::Folder);
}

void checkCookies(ScanRun& run, const std::string& cookiesFolder)
{
    // The listing is not recursive and runs whole, stop or no stop.
    std::vector<CookieFile> cookieFiles;
    if (!cookiesFolder.empty()) {
        const std::string folder = withoutTrailingBackslashes(cookiesFolder);
        FolderListing listing(folder + "\\*.*");
        while (listing.next()) {
            const WIN32_FIND_DATAA& entry = listing.entry();
            if (isDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            cookieFiles.push_back(CookieFile{folder + "\\" + entry.cFileName, entry.cFileName});
        }
    }

    ParasiteList& parasites = run.parasites();
    std::vector<std::vector<std::string>> needles(parasites.count());
    for (int p = 0; p < parasites.count(); ++p) {
        const OwnedList<CookieItem>& cookies = parasites.at(p)->cookies;
        for (size_t c = 0; c < cookies.size(); ++c) {
            const std::string& name = cookies[c]->name;
            needles[p].push_back(cookieNeedle(name));
            // A blank name is an empty item rather than a refused one.
            if (!cookieNameUsable(name) && !trimmedLocation(name).empty() && !run.stopping())
                run.skip(FindKind::Cookie, p, static_cast<int>(c), name);
        }
    }

    for (const CookieFile& file : cookieFiles) {
        if (run.stopping())
            break;
        run.show(foldedText(file.fullPath));
        const std::string haystack = foldedText(file.name);
        enum { NotAsked, Free, Protected } place = NotAsked;
        for (int p = 0; p < parasites.count() && !run.stopping(); ++p) {
            Parasite& parasite = *parasites.at(p);
            for (size_t c = 0; c < parasite.cookies.size() && !run.stopping(); ++c) {
                const std::string& needle = needles[p][c];
                if (!cookieFileMatches(haystack, needle))
                    continue;
                if (place == NotAsked)
                    place = run.protectedPlaces().isProtectedFile(file.fullPath) ? Protected
                                                                                  : Free;
                if (place == Protected) {
                    run.skip(FindKind::Cookie, p, static_cast<int>(c), file.fullPath);
                    continue;
                }
                if (run.report(FindKind::Cookie, p, static_cast<int>(c), parasite.cookies[c]->name))
                    parasite.cookies[c]->found = 1;
            }
        }
        run.countItem();
    }
}

void walkFolder(ScanRun& run, const std::string& folder, PendingList<FileItem>& pendingFiles,
                PendingList<DirectoryItem>& pendingFolders)
{
    std::string path = withoutTrailingBackslashes(folder);
    if (path.empty())
        return;
    PendingVisitor visitor{run, pendingFiles, pendingFolders};
    walkTree(run, path, visitor);
}

void matchPendingFile(ScanRun& run, PendingList<FileItem>& pendingFiles,
                      const std::string& entryName, const std::string& fullPath)
{
    matchPending(run, pendingFiles, entryName, fullPath, FindKind::File);
}

void matchPendingFolder(ScanRun& run, PendingList<DirectoryItem>& pendingFolders,
                        const std::string& entryName, const std::string& fullPath)
{
    matchPending(run, pendingFolders, entryName, fullPath, FindKind::Folder);
}

void walkChosenFolder(ScanRun& run, const std::string& folder)
{
    std::string path = withoutTrailingBackslashes(folder);
    if (path.empty())
        return;
    DefinedVisitor visitor{run, DefinedIndex<FileItem>(run.parasites()),
                           DefinedIndex<DirectoryItem>(run.parasites())};
    walkTree(run, path, visitor);
}

void matchDefinedFile(ScanRun& run, const DefinedIndex<FileItem>& files,
                      const std::string& entryName, const std::string& fullPath)
{
    matchDefined(run, files, entryName, fullPath, FindKind::File);
}

void matchDefinedFolder(ScanRun& run, const DefinedIndex<DirectoryItem>& folders,
                        const std::string& entryName, const std::string& fullPath)
{
    matchDefined(run, folders, entryName, fullPath, FindKind::Folder);
}

}  // namespace kestrune
