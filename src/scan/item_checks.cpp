// Item checks and folder walks of the scans.
#include "scan/item_checks.h"

#include "platform/cookie_match.h"
#include "platform/folder_listing.h"
#include "platform/fs_redirection.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/text_trim.h"
#include "scan/tree_walk.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

namespace kestrune {

const char kStatusFound[] = "Found";
const char kStatusNotFound[] = "Not Found";

namespace {

// What tells one item's find at one place from another's.
std::string findKey(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    return std::to_string(static_cast<int>(kind)) + ":" + std::to_string(parasiteIndex) + ":" +
           std::to_string(itemIndex) + ":" + foldedText(location);
}

Find makeFind(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    Find find;
    find.kind = kind;
    find.parasiteIndex = parasiteIndex;
    find.itemIndex = itemIndex;
    find.location = location;
    return find;
}

}  // namespace

bool ScanRun::report(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location,
                     const std::string& alias, const ItemFind* detail)
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
    if (results_ != nullptr) {
        ItemFind kept;
        if (detail != nullptr) {
            kept = *detail;
        } else {
            kept.kind = kind;
            if (kind == ItemKind::File || kind == ItemKind::Folder)
                kept.folder = parentFolderOf(location);
        }
        kept.location = location;
        // Every cookie file an item matches is a row of its own under the
        // item's name, as ever; the results keep the item's find once.
        if (!results_->add(ItemRef{parasiteIndex, kind, itemIndex}, kept) &&
            kind != ItemKind::Cookie)
            return true;
    }
    reporter_.found(find);
    return true;
}

void ScanRun::skip(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location)
{
    if (!skipped_.insert(findKey(kind, parasiteIndex, itemIndex, location)).second)
        return;
    reporter_.protectedSkipped(makeFind(kind, parasiteIndex, itemIndex, location));
}

bool itemTextRefused(const std::string& path, const std::string& name)
{
    if (itemNameRefused(name))
        return true;
    return !path.empty() && itemPathRefused(trimmed(path + "\\" + name, kLineBlanks));
}

namespace {

template <typename Item>
void checkPlacedItem(ScanRun& run, int parasiteIndex, int itemIndex, PendingList<Item>& pending,
                     ItemKind kind)
{
    const Item& item = *itemsOf<Item>(*run.parasites().at(parasiteIndex))[itemIndex];
    const std::string location = item.path + "\\" + item.name;
    run.show(location);
    if (itemTextRefused(item.path, item.name)) {
        run.skip(kind, parasiteIndex, itemIndex,
                 item.path.empty() ? item.name : trimmed(location, kLineBlanks));
    } else if (item.path.empty()) {
        pending.append(PendingSearch{parasiteIndex, itemIndex});
    } else {
        // On 64-bit Windows an item placed in System32 may have landed in
        // SysWOW64 (a 32-bit program installed it "there"): both are looked
        // at, and each find is reported under its own real place.
        const std::string place = trimmed(location, kLineBlanks);
        static const std::string wow64Folder = wow64SystemFolder();
        std::vector<std::string> places{place};
        const std::string inWow64 = inOtherSystemFolder(place, wow64Folder);
        if (!inWow64.empty())
            places.push_back(inWow64);
        for (const std::string& place : places) {
            if (!PathFileExistsA(place.c_str()))
                continue;
            if (run.placeProtected(place)) {
                run.skip(kind, parasiteIndex, itemIndex, place);
            } else {
                run.report(kind, parasiteIndex, itemIndex, place);
            }
        }
    }
    run.countItem();
}

template <typename Item>
void matchPending(ScanRun& run, PendingList<Item>& pending, const std::string& entryName,
                  const std::string& fullPath, ItemKind kind)
{
    const PendingSearch* record =
        pending.firstUnfound(entryName, [&](const PendingSearch& candidate) {
            return run.results().found(ItemRef{candidate.parasiteIndex, kind, candidate.itemIndex});
        });
    if (record == nullptr)
        return;
    const PendingSearch taken = *record;
    // The item stays pending: a later entry of its name may take it.
    if (run.placeProtected(fullPath)) {
        run.skip(kind, taken.parasiteIndex, taken.itemIndex, fullPath);
        return;
    }
    // An ignored entry leaves the item pending too.
    run.report(kind, taken.parasiteIndex, taken.itemIndex, fullPath);
}

// True when an earlier scan found `item` at `fullPath`.
bool foundBefore(const ScanRun& run, const ItemRef& item, const std::string& fullPath)
{
    if (run.earlier() == nullptr)
        return false;
    for (const ItemFind& find : run.earlier()->findsOf(item)) {
        if (sameText(find.location, fullPath))
            return true;
    }
    return false;
}

template <typename Item>
void matchDefined(ScanRun& run, const DefinedIndex<Item>& index, const std::string& entryName,
                  const std::string& fullPath, ItemKind kind)
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
        const Item& item =
            *itemsOf<Item>(*run.parasites().at(record.parasiteIndex))[record.itemIndex];
        if (itemTextRefused(item.path, item.name) ||
            !(sameText(item.path, parent) ||
              foundBefore(run, ItemRef{record.parasiteIndex, kind, record.itemIndex}, fullPath)))
            continue;
        if (place == NotAsked)
            place = run.placeProtected(fullPath) ? Protected : Free;
        reportedParasite = record.parasiteIndex;
        if (place == Protected) {
            run.skip(kind, record.parasiteIndex, record.itemIndex, fullPath);
            continue;
        }
        run.report(kind, record.parasiteIndex, record.itemIndex, fullPath);
    }
}

struct PendingVisitor {
    ScanRun& run;
    PendingList<FileItem>& files;
    PendingList<DirectoryItem>& folders;
    std::string name;   // the entry's name, kept to spare an allocation per entry
    void folder(const std::string& fullPath, size_t nameAt)
    {
        name.assign(fullPath, nameAt, std::string::npos);
        matchPendingFolder(run, folders, name, fullPath);
    }
    void file(const std::string& fullPath, size_t nameAt)
    {
        name.assign(fullPath, nameAt, std::string::npos);
        matchPendingFile(run, files, name, fullPath);
    }
    void enter(std::string& path) { walkTree(run, path, *this); }
};

struct DefinedVisitor {
    ScanRun& run;
    DefinedIndex<FileItem> files;
    DefinedIndex<DirectoryItem> folders;
    std::string name;
    void folder(const std::string& fullPath, size_t nameAt)
    {
        name.assign(fullPath, nameAt, std::string::npos);
        matchDefinedFolder(run, folders, name, fullPath);
    }
    void file(const std::string& fullPath, size_t nameAt)
    {
        name.assign(fullPath, nameAt, std::string::npos);
        matchDefinedFile(run, files, name, fullPath);
    }
    void enter(std::string& path) { walkTree(run, path, *this); }
};

struct CookieFile {
    std::string fullPath;
    std::string name;
};

}  // namespace

void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<FileItem>& pendingFiles)
{
    checkPlacedItem(run, parasiteIndex, itemIndex, pendingFiles, ItemKind::File);
}

void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<DirectoryItem>& pendingFolders)
{
    checkPlacedItem(run, parasiteIndex, itemIndex, pendingFolders, ItemKind::Folder);
}

void checkCookies(ScanRun& run, const std::string& cookiesFolder)
{
    // The listing is not recursive and runs whole, stop or no stop.
    std::vector<CookieFile> cookieFiles;
    if (!cookiesFolder.empty()) {
        const std::string folder =
            withoutTrailingBackslashes(cookiesFolder, RootBackslash::Removed);
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
            if (!cookieNameUsable(name) && !trimmed(name, kLineBlanks).empty() && !run.stopping())
                run.skip(ItemKind::Cookie, p, static_cast<int>(c), name);
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
                    run.skip(ItemKind::Cookie, p, static_cast<int>(c), file.fullPath);
                    continue;
                }
                run.report(ItemKind::Cookie, p, static_cast<int>(c), parasite.cookies[c]->name);
            }
        }
        run.countItem();
    }
}

void walkFolder(ScanRun& run, const std::string& folder, PendingList<FileItem>& pendingFiles,
                PendingList<DirectoryItem>& pendingFolders)
{
    std::string path = withoutTrailingBackslashes(folder, RootBackslash::Removed);
    if (path.empty())
        return;
    PendingVisitor visitor{run, pendingFiles, pendingFolders, std::string()};
    walkTree(run, path, visitor);
}

void matchPendingFile(ScanRun& run, PendingList<FileItem>& pendingFiles,
                      const std::string& entryName, const std::string& fullPath)
{
    matchPending(run, pendingFiles, entryName, fullPath, ItemKind::File);
}

void matchPendingFolder(ScanRun& run, PendingList<DirectoryItem>& pendingFolders,
                        const std::string& entryName, const std::string& fullPath)
{
    matchPending(run, pendingFolders, entryName, fullPath, ItemKind::Folder);
}

void walkChosenFolder(ScanRun& run, const std::string& folder)
{
    std::string path = withoutTrailingBackslashes(folder, RootBackslash::Removed);
    if (path.empty())
        return;
    DefinedVisitor visitor{run, DefinedIndex<FileItem>(run.parasites()),
                           DefinedIndex<DirectoryItem>(run.parasites()), std::string()};
    walkTree(run, path, visitor);
}

void matchDefinedFile(ScanRun& run, const DefinedIndex<FileItem>& files,
                      const std::string& entryName, const std::string& fullPath)
{
    matchDefined(run, files, entryName, fullPath, ItemKind::File);
}

void matchDefinedFolder(ScanRun& run, const DefinedIndex<DirectoryItem>& folders,
                        const std::string& entryName, const std::string& fullPath)
{
    matchDefined(run, folders, entryName, fullPath, ItemKind::Folder);
}

}  // namespace kestrune
