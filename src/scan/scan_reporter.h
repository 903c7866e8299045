// ScanReporter: how a scan tells its owner what it does, without knowing any
// window. The main window posts its scan messages from it, the console tool
// prints, tests record.
#pragma once

#include "platform/find.h"

#include <string>

namespace kestrune {

// The steps of the scans, in the order a full scan runs them; ChosenFolder is
// the walk of the folder scan.
enum class ScanPhase {
    RegistryKeys,
    RegistryValues,
    Cookies,
    Files,
    Folders,
    DriveSearch,
    ChosenFolder,
};

// A short English name of the phase for progress output ("registry keys",
// "registry values", "cookies", "files", "folders", "drive search",
// "folder").
const char* phaseName(ScanPhase phase);

// Every call comes from the scan thread, in the order of the scan. An
// implementation must never wait for the thread that owns a window (the
// window may itself be waiting for the scan to end): it publishes what it is
// handed and lets the window fetch it.
class ScanReporter {
public:
    virtual ~ScanReporter() = default;

    // The scan's first step (the window's "scanning" state).
    virtual void scanStarted() = 0;

    // A new phase begins. The folder scan reports only ChosenFolder; a full
    // scan that is stopped skips the phases it does not reach.
    virtual void phaseStarted(ScanPhase phase) = 0;

    // One find, in find order. A find must not be lost: an implementation
    // whose delivery can fail for a while (a full message queue) waits and
    // tries again, and gives up only once the scan's stop request is set.
    virtual void found(const Find& find) = 0;

    // The text of the status line: the location, path or cookie file being
    // tested now; at the end "Scan Completed" (full scan) or "Completed!"
    // (folder scan), "Scan Completed (N folders could not be read)" (either
    // scan) when the walks met N unreadable places, "Scan Completed (M finds
    // ignored)" when M finds were on the ignore list, "Scan Completed (N
    // folders could not be read, M finds ignored)" when both, and "Scan
    // Failed" after a failure. Called for every item and directory entry (in
    // a drive search on two walkers: for each entry some pending item is named
    // after, and every 128 entries or so), so it must be cheap.
    virtual void currentText(const std::string& text) = 0;

    // The number of items scanned since the scan started (the "Items
    // Scanned" count): every registry item, file and folder item, cookie file
    // and directory entry, "." and ".." included. Called at every step (a
    // drive search on two walkers adds the entries between its steps at
    // once), so it must be cheap.
    virtual void itemsScanned(unsigned long count) = 0;

    // A find that names a protected place: it is not reported through
    // found(), makes no row and counts as no detection. The console tool
    // names it on standard error.
    virtual void protectedSkipped(const Find& find) {}

    // A find on the ignore list: not reported through found(), makes no
    // row, marks no parasite "Found" and counts as no detection. Each item
    // and location is told once per scan. Protected places are judged first
    // and never come here.
    virtual void ignoredFind(const Find& find) {}

    // A folder the walk could not list (other than an empty drive root), or
    // an entry whose name cannot be opened: the scan did not see what lies
    // there. `path` is the folder or entry as the walk names it.
    virtual void unreadable(const std::string& path) {}

    // The scan broke off on a failure of its own (`reason`: "out of memory"
    // or "internal error"): what it reported so far stands, the rest was
    // not looked at. Comes just before the end step's currentText.
    virtual void scanFailed(const std::string& reason) {}

    // The scan's last step, also after a stop or a failure; comes after the last
    // currentText and itemsScanned. Nothing is reported after it.
    virtual void scanEnded() = 0;
};

}  // namespace kestrune
