// The full scan and the folder scan, phase by phase, and their thread entry
// points.
#include "scan/scan_thread.h"

#include "definitions/registry_items.h"
#include "platform/boundary.h"
#include "platform/fs_redirection.h"
#include "platform/registry_views.h"
#include "platform/shell.h"
#include "platform/system_text.h"
#include "safety/own_places.h"
#include "scan/drive_search.h"
#include "scan/item_checks.h"
#include "scan/registry_location.h"
#include "scan/scan_event.h"

#include <cstdio>
#include <new>

namespace kestrune {

namespace {

const char kScanCompleted[] = "Scan Completed";
const char kFolderScanCompleted[] = "Completed!";
const char kScanFailed[] = "Scan Failed";
const char kUnreadableFormat[] = "Scan Completed (%lu folders could not be read)";
const char kIgnoredFormat[] = "Scan Completed (%lu find%s ignored)";
const char kUnreadableIgnoredFormat[] =
    "Scan Completed (%lu folders could not be read, %lu find%s ignored)";
// Both fit a string without allocating, as they may be made when memory ran
// out.
const char kOutOfMemory[] = "out of memory";
const char kInternalError[] = "internal error";

// One test and one location text for either kind of registry item.
RegistryCheck checkRegistryItem(RegistryKeyItem& item, const ProtectedPlaces& places,
                                std::string& protectedHive)
{
    return checkRegistryKey(item, places, protectedHive);
}

RegistryCheck checkRegistryItem(RegistryValueItem& item, const ProtectedPlaces& places,
                                std::string& protectedHive)
{
    return checkRegistryValue(item, places, protectedHive);
}

std::string registryLocation(const RegistryKeyItem& item)
{
    return registryKeyLocation(item);
}

std::string registryLocation(const RegistryValueItem& item)
{
    return registryValueLocation(item);
}

// The find of a registry item as its test left it (`main` names the hive it
// was found in).
ItemFind registryFind(const RegistryKeyItem& item)
{
    ItemFind find;
    find.kind = ItemKind::RegistryKey;
    find.hive = item.main;
    find.key = registryKeyPath(item);
    find.view = engineRegistryView();
    return find;
}

ItemFind registryFind(const RegistryValueItem& item)
{
    ItemFind find;
    find.kind = ItemKind::RegistryValue;
    find.hive = item.main;
    find.key = item.sub;
    find.value = item.value;
    find.view = engineRegistryView();
    return find;
}

// The key and value name a registry item's test asks for.
std::string itemKey(const RegistryKeyItem& item) { return registryKeyPath(item); }
std::string itemKey(const RegistryValueItem& item) { return item.sub; }
const std::string* itemValue(const RegistryKeyItem&) { return nullptr; }
const std::string* itemValue(const RegistryValueItem& item) { return &item.value; }
bool itemNamesKey(const RegistryKeyItem& item) { return hasKeyName(item); }
bool itemNamesKey(const RegistryValueItem&) { return true; }

// The second find of a registry item on 64-bit Windows: its 32-bit copy
// (checkRedirectedCopy) in the hive its test found it in or was named,
// reported under its real name. True when reported.
template <typename Item>
bool checkCopy(ScanRun& run, int parasiteIndex, int itemIndex, const Item& item, ItemKind kind)
{
    if (!itemNamesKey(item))
        return false;
    std::string hive;
    std::string copyKey;
    const std::string* value = itemValue(item);
    const RegistryCheck check =
        checkRedirectedCopy(item.main, itemKey(item), value, run.protectedPlaces(), hive, copyKey);
    if (check == RegistryCheck::Absent)
        return false;
    const std::string location =
        hive + "\\" + copyKey + (value != nullptr ? " : " + *value : std::string());
    if (check == RegistryCheck::Protected) {
        run.skip(kind, parasiteIndex, itemIndex, location);
        return false;
    }
    ItemFind find;
    find.kind = kind;
    find.hive = hive;
    find.key = copyKey;
    find.value = value != nullptr ? *value : std::string();
    find.view = engineRegistryView();
    return run.report(kind, parasiteIndex, itemIndex, location, std::string(), &find);
}

// The item step of the registry phases: show the location (formatted before
// the test), test, record, count. The test runs on a copy of the item, whose
// `main` it may set to the hive it found the item in; the definitions stay as
// loaded. A protected item is skipped with its location in the hive where it
// was met.
template <typename Item>
void checkRegistryItem(ScanRun& run, int parasiteIndex, int itemIndex, const Item& item,
                       ItemKind kind)
{
    const std::string location = registryLocation(item);
    run.show(location);
    Item tested = item;
    std::string protectedHive;
    switch (checkRegistryItem(tested, run.protectedPlaces(), protectedHive)) {
    case RegistryCheck::Present: {
        // The row shows the location as formatted before the test; the
        // ignore list may hold either that or the one in the hive found.
        const ItemFind find = registryFind(tested);
        run.report(kind, parasiteIndex, itemIndex, location, registryLocation(tested), &find);
        break;
    }
    case RegistryCheck::Protected: {
        Item met = item;
        met.main = protectedHive;
        run.skip(kind, parasiteIndex, itemIndex, registryLocation(met));
        break;
    }
    case RegistryCheck::Absent:
        break;
    }
    checkCopy(run, parasiteIndex, itemIndex, tested, kind);
    run.countItem();
}

void scanRegistryKeys(ScanRun& run)
{
    ParasiteList& parasites = run.parasites();
    for (int p = 0; p < parasites.count() && !run.stopping(); ++p) {
        Sleep(0);
        Parasite& parasite = *parasites.at(p);
        parasite.status = kStatusNotFound;
        for (size_t i = 0; i < parasite.registryKeys.size() && !run.stopping(); ++i)
            checkRegistryItem(run, p, static_cast<int>(i), *parasite.registryKeys[i],
                              ItemKind::RegistryKey);
    }
}

void scanRegistryValues(ScanRun& run)
{
    ParasiteList& parasites = run.parasites();
    for (int p = 0; p < parasites.count() && !run.stopping(); ++p) {
        Sleep(0);
        Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.registryValues.size() && !run.stopping(); ++i)
            checkRegistryItem(run, p, static_cast<int>(i), *parasite.registryValues[i],
                              ItemKind::RegistryValue);
    }
}

template <typename Item>
void scanPlacedItems(ScanRun& run, PendingList<Item>& pending)
{
    ParasiteList& parasites = run.parasites();
    for (int p = 0; p < parasites.count() && !run.stopping(); ++p) {
        Sleep(0);
        const size_t count = itemsOf<Item>(*parasites.at(p)).size();
        for (size_t i = 0; i < count && !run.stopping(); ++i)
            checkPathItem(run, p, static_cast<int>(i), pending);
    }
}

void searchDrives(ScanRun& run, const ScanPlaces* places, PendingList<FileItem>& pendingFiles,
                  PendingList<DirectoryItem>& pendingFolders)
{
    std::vector<std::string> roots = places ? places->driveRoots : logicalDriveRoots();
    const std::string windowsFolder = places ? places->windowsFolder : systemWindowsFolder();
    // Items that the Windows folder's own walk finds are found when its drive
    // is walked, so they are not reported twice.
    std::vector<std::string> trees;
    if (!windowsFolder.empty())
        trees.push_back(windowsFolder);
    for (const std::string& root : roots) {
        if (driveIsSearched(root))
            trees.push_back(root);
    }
    const int threads =
        places && places->searchThreads > 0 ? places->searchThreads : defaultSearchThreads();
    searchFolderTrees(run, trees, pendingFiles, pendingFolders, threads);
}

void runFullScanPhases(ScanRun& run, const ScanPlaces* places)
{
    ScanReporter& reporter = run.reporter();
    PendingList<FileItem> pendingFiles(run.parasites());
    PendingList<DirectoryItem> pendingFolders(run.parasites());

    reporter.phaseStarted(ScanPhase::RegistryKeys);
    scanRegistryKeys(run);
    if (run.stopping())
        return;
    reporter.phaseStarted(ScanPhase::RegistryValues);
    scanRegistryValues(run);
    if (run.stopping())
        return;
    reporter.phaseStarted(ScanPhase::Cookies);
    checkCookies(run, places ? places->cookiesFolder : systemCookiesFolder());
    if (run.stopping())
        return;
    // From here on the scan only looks at files and folders: on 64-bit
    // Windows it sees the real System32 and SysWOW64 (nothing below loads a
    // DLL; the reporters only post or print).
    const ScopedFsRedirectionOff realFolders;
    reporter.phaseStarted(ScanPhase::Files);
    scanPlacedItems(run, pendingFiles);
    if (run.stopping())
        return;
    reporter.phaseStarted(ScanPhase::Folders);
    scanPlacedItems(run, pendingFolders);
    if (run.stopping())
        return;
    reporter.phaseStarted(ScanPhase::DriveSearch);
    searchDrives(run, places, pendingFiles, pendingFolders);
}

// Runs the scan's work; anything it throws ends it as a failure, whose
// reason is returned (empty when the work ran to its end or was stopped).
template <typename Work>
std::string failureOf(Work work)
{
    try {
        work();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInternalError;
    }
    return std::string();
}

// The end text of a scan that was not broken off.
std::string completionText(const char* completedText, const ScanOutcome& outcome)
{
    char text[sizeof kUnreadableIgnoredFormat + 32];
    if (outcome.unreadable > 0 && outcome.ignored > 0)
        std::snprintf(text, sizeof text, kUnreadableIgnoredFormat, outcome.unreadable,
                      outcome.ignored, outcome.ignored == 1 ? "" : "s");
    else if (outcome.unreadable > 0)
        std::snprintf(text, sizeof text, kUnreadableFormat, outcome.unreadable);
    else if (outcome.ignored > 0)
        std::snprintf(text, sizeof text, kIgnoredFormat, outcome.ignored,
                      outcome.ignored == 1 ? "" : "s");
    else
        return completedText;
    return text;
}

// The end step of both scans: the last status text, then the end itself,
// which must be reported whatever else fails, as the window waits for it.
ScanOutcome endScan(ScanRun& run, const std::string& failure, const char* completedText)
{
    ScanOutcome outcome;
    outcome.failure = failure;
    outcome.unreadable = run.unreadableCount();
    outcome.ignored = run.ignoredCount();
    ScanReporter& reporter = run.reporter();
    try {
        if (!failure.empty()) {
            reporter.scanFailed(failure);
            reporter.currentText(kScanFailed);
        } else {
            reporter.currentText(completionText(completedText, outcome));
        }
    } catch (...) {
        if (outcome.failure.empty())
            outcome.failure = kInternalError;
    }
    reporter.scanEnded();
    return outcome;
}

// `given`, or else this machine's places, built into `own`.
const ProtectedPlaces& placesToProtect(const ProtectedPlaces* given,
                                       std::optional<ProtectedPlaces>& own)
{
    if (given)
        return *given;
    own = protectedPlacesOfThisMachine();
    return *own;
}

}  // namespace

ProtectedPlaces protectedPlacesOfThisMachine()
{
    return ProtectedPlaces::forThisMachine(ownPlacesFromSettings());
}

std::string systemCookiesFolder()
{
    return cookiesFolder();
}

std::string systemWindowsFolder()
{
    return windowsFolderPath();
}

std::vector<std::string> logicalDriveRoots()
{
    std::vector<std::string> roots;
    DWORD needed = GetLogicalDriveStringsA(0, nullptr);
    if (needed == 0)
        return roots;
    std::string buffer(needed + 1, '\0');
    DWORD length = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), &buffer[0]);
    if (length == 0 || length >= buffer.size())
        return roots;
    // Zero-terminated roots ("C:\"), the list ended by an empty one.
    for (size_t at = 0; at < length && buffer[at] != '\0';) {
        std::string root(buffer.c_str() + at);
        at += root.size() + 1;
        roots.push_back(root);
    }
    return roots;
}

bool driveIsSearched(const std::string& root)
{
    return GetDriveTypeA(root.c_str()) != DRIVE_CDROM;
}

ScanOutcome runFullScan(ParasiteList& parasites, ScanReporter& reporter,
                        const std::atomic<bool>& stop, const ScanPlaces* places,
                        const ProtectedPlaces* protectedPlaces, const IgnoreSet* ignored,
                        ScanResults* results)
{
    std::optional<ProtectedPlaces> machine;
    ScanEventTally tally(reporter);
    ScanRun run(parasites, tally, stop, placesToProtect(protectedPlaces, machine), ignored,
                results);
    const std::string failure = failureOf([&] {
        tally.scanStarted();
        runFullScanPhases(run, places);
    });
    const ScanOutcome outcome = endScan(run, failure, kScanCompleted);
    tally.writeEvent(outcome, stop, std::string());
    return outcome;
}

ScanOutcome runFolderScan(ParasiteList& parasites, ScanReporter& reporter,
                          const std::atomic<bool>& stop, const std::string& folder,
                          const ProtectedPlaces* protectedPlaces, const IgnoreSet* ignored,
                          ScanResults* results, const ScanResults* earlier)
{
    std::optional<ProtectedPlaces> machine;
    ScanEventTally tally(reporter);
    ScanRun run(parasites, tally, stop, placesToProtect(protectedPlaces, machine), ignored,
                results);
    run.setEarlier(earlier);
    const std::string failure = failureOf([&] {
        tally.scanStarted();
        tally.phaseStarted(ScanPhase::ChosenFolder);
        const ScopedFsRedirectionOff realFolders;
        walkChosenFolder(run, folder);
    });
    const ScanOutcome outcome = endScan(run, failure, kFolderScanCompleted);
    tally.writeEvent(outcome, stop, folder);
    return outcome;
}

namespace {

// The job's stop request, or one that is never set.
const std::atomic<bool>& stopOf(const ScanJob& job)
{
    static const std::atomic<bool> never{false};
    return job.stop != nullptr ? *job.stop : never;
}

}  // namespace

DWORD WINAPI ScanThread(LPVOID parameter)
{
    ScanJob* job = static_cast<ScanJob*>(parameter);
    // The scan ends its run itself, so only a reporter's scanEnded can throw.
    return threadBoundary("scan thread", [job] {
        runFullScan(*job->parasites, *job->reporter, stopOf(*job),
                    job->places ? &*job->places : nullptr,
                    job->protectedPlaces ? &*job->protectedPlaces : nullptr,
                    job->ignored ? &*job->ignored : nullptr, job->results);
    });
}

DWORD WINAPI FolderScanThread(LPVOID parameter)
{
    ScanJob* job = static_cast<ScanJob*>(parameter);
    return threadBoundary("folder scan thread", [job] {
        runFolderScan(*job->parasites, *job->reporter, stopOf(*job), job->folder,
                      job->protectedPlaces ? &*job->protectedPlaces : nullptr,
                      job->ignored ? &*job->ignored : nullptr, job->results, job->earlier);
    });
}

}  // namespace kestrune
