// The steps shared by the two scans: the running count and status text of one
// scan (ScanRun), the tests of file, folder and cookie items, and the folder
// walks of the drive search and of the folder scan. Runs on the scan thread.
//
// No step reports a protected place (ProtectedPlaces) or an item whose texts
// are refused as a find: such an item stays unfound, its parasite is not
// marked "Found" for it, and the reporter hears of it through
// protectedSkipped instead.
//
// Walks never descend into a reparse point (a symbolic link or junction): it
// is counted and matched like any other directory entry, but its contents are
// not listed, since links can loop (Wine's drive Z: holds links back to the
// root) or reach the same tree twice.
#pragma once

#include "definitions/parasite.h"
#include "safety/place_judge.h"
#include "safety/protected_places.h"
#include "scan/pending_search.h"
#include "scan/scan_results.h"
#include "settings/ignore_list.h"
#include "scan/scan_reporter.h"

#include <atomic>
#include <set>
#include <string>

namespace kestrune {

// The statuses a scan gives a parasite.
extern const char kStatusFound[];
extern const char kStatusNotFound[];

// One run of a scan: the list it scans, where it reports, the request that
// ends it early (set by its owner, read at every step), the places it never
// reports, the finds the user ignores, where its finds are kept, and its count
// of items scanned. `stop`, `protectedPlaces`, `ignored` (null: nothing is
// ignored) and `results` (null: the run keeps its finds in results of its own)
// must outlive it. The run never writes the definitions' items: what it has found
// so far is in its results.
class ScanRun {
public:
    ScanRun(ParasiteList& parasites, ScanReporter& reporter, const std::atomic<bool>& stop,
            const ProtectedPlaces& protectedPlaces, const IgnoreSet* ignored = nullptr,
            ScanResults* results = nullptr)
        : parasites_(parasites), reporter_(reporter), stop_(stop), protectedPlaces_(protectedPlaces),
          placeJudge_(protectedPlaces), ignored_(ignored),
          results_(results != nullptr ? results : &ownResults_)
    {
    }
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    ParasiteList& parasites() { return parasites_; }
    ScanReporter& reporter() { return reporter_; }
    // The finds of this run so far.
    const ScanResults& results() const { return *results_; }
    // The finds of earlier scans (null: none): the folder scan takes an item
    // at the place an earlier scan found it as at its defined place.
    const ScanResults* earlier() const { return earlier_; }
    void setEarlier(const ScanResults* earlier) { earlier_ = earlier; }
    const ProtectedPlaces& protectedPlaces() const { return protectedPlaces_; }
    // True when the existing file or folder at `path` is a protected place,
    // as a folder or as a file (the judge keeps what it learnt of each folder
    // for the rest of this run, unguarded: ask only on the run's own thread).
    bool placeProtected(const std::string& path) { return placeJudge_.isProtected(path); }

    bool stopping() const { return stop_.load(std::memory_order_relaxed); }
    // The request this run ends early on (the drive search's walkers read it).
    const std::atomic<bool>& stopRequest() const { return stop_; }
    void show(const std::string& text) { reporter_.currentText(text); }
    // Adds one (or `count`) to the items scanned.
    void countItem() { reporter_.itemsScanned(++itemsScanned_); }
    void countItems(unsigned long count)
    {
        itemsScanned_ += count;
        reporter_.itemsScanned(itemsScanned_);
    }
    unsigned long itemsScanned() const { return itemsScanned_; }

    // Marks the parasite "Found", keeps the find in the results (`detail`
    // when given, else the kind and location alone) and reports it; true
    // then. A find the results hold already (the same place met again) is
    // not reported twice, except a cookie's: each cookie file it matches is
    // reported under the item's name. False when the find is on the ignore list, under
    // `location` or under `alias` (a registry item's location after its test
    // resolved the hive): it is told to the reporter as ignored (once per
    // item and location) and counted, and the caller leaves the item unfound.
    bool report(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location,
                const std::string& alias = std::string(), const ItemFind* detail = nullptr);
    // Tells the reporter that the item names a protected place at `location`
    // or holds a refused text; changes no status. Each item and location is
    // told once per run (the drive search meets the Windows folder twice).
    void skip(ItemKind kind, int parasiteIndex, int itemIndex, const std::string& location);

    // Counts a place the walk could not read and names it to the reporter.
    void unreadable(const std::string& path)
    {
        ++unreadable_;
        reporter_.unreadable(path);
    }
    unsigned long unreadableCount() const { return unreadable_; }
    unsigned long ignoredCount() const { return ignoredCount_; }

private:
    ParasiteList& parasites_;
    ScanReporter& reporter_;
    const std::atomic<bool>& stop_;
    const ProtectedPlaces& protectedPlaces_;
    PlaceJudge placeJudge_;
    const IgnoreSet* ignored_;
    ScanResults ownResults_;
    ScanResults* results_;
    const ScanResults* earlier_ = nullptr;
    std::set<std::string> skipped_;
    std::set<std::string> ignoredFinds_;
    unsigned long ignoredCount_ = 0;
    unsigned long itemsScanned_ = 0;
    unsigned long unreadable_ = 0;
};

// True when the texts of a file or folder item are refused, so that it is
// never looked for: its NAME is (itemNameRefused), or it has a PATH and the
// trimmed "path\name" is (itemPathRefused).
bool itemTextRefused(const std::string& path, const std::string& name);

// The full scan's test of one file or folder item: with a `path`, the trimmed
// "path\name" is tested for existence at once and the item's `found` set (0
// when it exists but is a protected place); without one, the item is appended
// to the pending list. An item whose texts are refused is neither tested nor
// appended: `found` becomes 0 and it is skipped. Counts one item either way.
void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<FileItem>& pendingFiles);
void checkPathItem(ScanRun& run, int parasiteIndex, int itemIndex,
                   PendingList<DirectoryItem>& pendingFolders);

// The cookie phase: every file (not folder) directly in `cookiesFolder` is
// matched against every cookie item of every parasite (cookie_match.h). An
// item matches when its needle occurs in the file's name folded to lower case (only the part of
// the path below the cookies folder, so that the folder's own path matches
// nothing); an empty needle matches nothing. One find per matching pair, with
// the item's name as defined as its location; one item counted per file. A
// cookie file that is a protected place matches no item; an item whose name
// cannot match (cookieNameUsable) is skipped.
void checkCookies(ScanRun& run, const std::string& cookiesFolder);

// The drive search of one folder tree, depth first in listing order:
// every entry counts, "." and ".." included; each directory is matched
// against `pendingFolders` and, unless it is a reparse point, walked; each
// file is matched against `pendingFiles`. Ends at the next entry once
// the run's stop request is set.
//
// What the walk cannot see is counted through ScanRun::unreadable: a folder
// whose listing fails or breaks off for any reason but "nothing there" (an
// empty drive root, a drive without its medium), such as a path too long for
// the ANSI calls or access denied; and an entry whose name holds a '?',
// which is how a name outside the ANSI code page comes back (it is neither
// matched nor walked, as that name opens nothing).
void walkFolder(ScanRun& run, const std::string& folder, PendingList<FileItem>& pendingFiles,
                PendingList<DirectoryItem>& pendingFolders);

// The first unfound pending item named `entryName` takes the find: its `path`
// becomes the entry's parent folder, `found` 1, and the find is reported with
// `fullPath` as its location. Nothing happens when no such item is left. When
// the entry is a protected place, the item is skipped and stays unfound and
// pending, for an entry of its name met later. Protection is asked only for
// entries that some pending item is named after.
void matchPendingFile(ScanRun& run, PendingList<FileItem>& pendingFiles,
                      const std::string& entryName, const std::string& fullPath);
void matchPendingFolder(ScanRun& run, PendingList<DirectoryItem>& pendingFolders,
                        const std::string& entryName, const std::string& fullPath);

// The folder scan's walk of `folder`: as walkFolder, with the entries matched
// against the items at their defined places instead of the pending lists.
void walkChosenFolder(ScanRun& run, const std::string& folder);

// Every parasite whose item named `entryName` has the entry's parent folder
// as its `path` (without regard to case) reports the entry once, through its
// first such item, whose `path` is rewritten to the parent as spelled on disk
// and whose `found` becomes 1. `found` is not consulted: an item found before
// is reported again. Items whose texts are refused take no entry; when the
// entry is a protected place, each such parasite's item is skipped instead.
void matchDefinedFile(ScanRun& run, const DefinedIndex<FileItem>& files,
                      const std::string& entryName, const std::string& fullPath);
void matchDefinedFolder(ScanRun& run, const DefinedIndex<DirectoryItem>& folders,
                        const std::string& entryName, const std::string& fullPath);

}  // namespace kestrune
