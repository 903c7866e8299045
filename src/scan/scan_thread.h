// The two scans and their thread entry points: the full scan (ScanThread),
// which tests every item of every parasite and then searches the Windows
// folder and the drives for the files and folders whose place is not given,
// and the folder scan (FolderScanThread), which walks one chosen folder tree.
//
// A scan writes into the definitions it scans (a parasite's `status`, an
// item's `found`, a key item's `main`, a found file or folder item's `path`)
// and reports through its ScanReporter only. It never reports a protected
// place as a find (see item_checks.h). It ends early once the stop request its
// owner hands it is set; it never clears that request (the owner starts it
// through beginScan, which clears it before the scan or its thread exists).
// The list must not be changed while a scan runs.
#pragma once

#include "definitions/parasite.h"
#include "safety/protected_places.h"
#include "scan/scan_reporter.h"
#include "scan/scan_results.h"
#include "settings/ignore_list.h"

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// Where a full scan looks. Tests narrow them; the program asks the system.
struct ScanPlaces {
    std::string cookiesFolder;              // empty: there are no cookie files
    std::string windowsFolder;              // walked first; empty: not walked
    std::vector<std::string> driveRoots;    // "C:\", ... in the system's order
    // Walkers of the drive search (drive_search.h); 0: defaultSearchThreads.
    int searchThreads = 0;
};

// The user's cookies folder (empty when it cannot be determined).
std::string systemCookiesFolder();
// The Windows folder (GetWindowsDirectoryA); empty on failure.
std::string systemWindowsFolder();
// The root of every logical drive, in the order GetLogicalDriveStringsA gives
// them; empty when that fails.
std::vector<std::string> logicalDriveRoots();

// True when a drive root is walked by the drive search: every drive but a
// CD-ROM drive (removable, fixed, remote, RAM and unknown drives are walked).
bool driveIsSearched(const std::string& root);

// How a scan ended, beyond what it reported.
struct ScanOutcome {
    // Why the scan broke off ("out of memory", "internal error"); empty when
    // it ran to its end or was stopped.
    std::string failure;
    // The folders and entries the walks could not read.
    unsigned long unreadable = 0;
    // The finds passed over because the ignore list holds them.
    unsigned long ignored = 0;
};

// The places a scan never reports when its owner names none: this machine's
// and Kestrune's own, as the settings give them. Reads the settings and asks
// the system, so the window builds it on its own thread before a scan starts.
ProtectedPlaces protectedPlacesOfThisMachine();

// A full scan of `parasites`, run on the calling thread, that ends early once
// `stop` is set. Without `places` the
// cookies folder is asked for at the cookie phase and the Windows folder and
// drives at the drive search. Without `protectedPlaces` those of
// protectedPlacesOfThisMachine are built at the start. A find that `ignored`
// holds (by kind and location, without regard to case) is not reported but
// told as ignoredFind; without `ignored` nothing is ignored. Whatever fails on
// the way (also in the reporter), the scan ends through its end step:
// scanFailed, the last currentText, scanEnded. Each find reported is kept in
// `results` when given (start each scan with empty results).
ScanOutcome runFullScan(ParasiteList& parasites, ScanReporter& reporter,
                        const std::atomic<bool>& stop, const ScanPlaces* places = nullptr,
                        const ProtectedPlaces* protectedPlaces = nullptr,
                        const IgnoreSet* ignored = nullptr, ScanResults* results = nullptr);

// A folder scan of `folder` (as the user picked it), run on the calling
// thread; `stop`, `protectedPlaces`, `ignored` and `results` as for runFullScan; it
// ends as the full scan does. An item is taken at its defined place and at
// each place `earlier` (the finds of earlier scans; null: none) holds for it.
ScanOutcome runFolderScan(ParasiteList& parasites, ScanReporter& reporter,
                          const std::atomic<bool>& stop, const std::string& folder,
                          const ProtectedPlaces* protectedPlaces = nullptr,
                          const IgnoreSet* ignored = nullptr, ScanResults* results = nullptr,
                          const ScanResults* earlier = nullptr);

// What a scan thread is handed. The starter owns it and keeps it (and the
// list and reporter it points to) alive until the thread has ended.
struct ScanJob {
    ParasiteList* parasites = nullptr;
    ScanReporter* reporter = nullptr;
    // The request that ends the scan early; null: it runs to its end.
    const std::atomic<bool>* stop = nullptr;
    std::string folder;                  // the folder that a folder scan walks
    std::optional<ScanPlaces> places;    // full scan; empty: the system's
    // Never reported; empty: protectedPlacesOfThisMachine, built by the thread.
    std::optional<ProtectedPlaces> protectedPlaces;
    // Finds not reported; empty: none (the window reads the list per scan).
    std::optional<IgnoreSet> ignored;
    // Where the finds are kept; null: they are only reported.
    ScanResults* results = nullptr;
    // The finds of earlier scans, for the folder scan; null: none.
    const ScanResults* earlier = nullptr;
};

// Thread entry points for CreateThread; `job` is a ScanJob*. Both return 0,
// or kThreadFailed when an exception reached them (platform/boundary.h).
DWORD WINAPI ScanThread(LPVOID job);
DWORD WINAPI FolderScanThread(LPVOID job);

}  // namespace kestrune
