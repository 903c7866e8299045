// ScanCommands: the main window's side of scanning. The commands that start
// and stop a scan (SCAN MY PC, SCAN FILES/FOLDERS, STOP SCAN, the tray's Scan
// and Scan Folder, the start-up scan of IDT_STARTUP_SCAN), the handling of the
// scan messages (WM_SCAN_STATE with the end-of-scan dialogue, the WM_FOUND_*
// messages with their rows), the refresh of the status line and the
// items-scanned count while a scan thread runs, the description of the
// selected row, and the end of the scan thread when the window goes. It owns
// the scan's life (ScanLife: its stage, thread and flags), the four counters
// and the description. Window thread only.
//
// At most one scan thread exists: a start is refused while the window is not
// idle, while another start or the removal flow is under way (their questions
// have no owner, so the window keeps taking commands), and from the creation
// of a thread until the window has handled that thread's end message. The
// window never waits for the thread while it runs, and the thread never waits
// for the window.
#pragma once

#include "app/result_list.h"
#include "app/scan_life.h"
#include "app/ui_state.h"
#include "app/window_scan_reporter.h"
#include "definitions/parasite.h"
#include "platform/message_boxes.h"
#include "scan/scan_report.h"
#include "scan/scan_thread.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

class OwnerDataCheckList;

// What the scan commands need of the main window.
class ScanHost {
public:
    virtual ~ScanHost() = default;
    virtual HWND window() const = 0;
    virtual MessageBoxes& messageBoxes() = 0;
    virtual ParasiteList& parasiteList() = 0;
    virtual UiState uiState() const = 0;
    virtual void setUiState(UiState state) = 0;
    // The command line was exactly "/s".
    virtual bool startedFromRunEntry() const = 0;
    // Removes the notification-area icon and shows the window.
    virtual void showFromNotificationArea() = 0;
    // The removal command, as the "DELETE PARASITES" button runs it.
    virtual void runRemoveCommand() = 0;
    // The removal flow is under way (one of its questions may be open).
    virtual bool removalUnderWay() const = 0;
};

// The counters beside the result list. There is no memory find: that
// counter stays 0 once a scan has started.
struct ScanCounts {
    int memory = 0;
    int registry = 0;
    int cookies = 0;
    int files = 0;
};

// Texts of the scan side of the main window.
extern const char kStopQuestionText[];
extern const char kStopQuestionCaption[];
extern const char kScanStoppedText[];
extern const char kScanCompletedText[];
extern const char kScanFailedText[];
extern const char kScanEndCaption[];
extern const char kDeleteOfferFormat[];       // %d: the number of rows
extern const char kDeleteOfferCaption[];
extern const char kPickFolderTitle[];
extern const char kCannotUsePathText[];

// The delete offer's text for `rows` rows.
std::string deleteOfferText(int rows);

class ScanCommands {
public:
    // The interval of IDT_SCAN_REFRESH, the timer that refreshes the status
    // line and the items-scanned count while a scan thread runs (at least ten
    // a second).
    static const UINT kRefreshMs = 50;
    // How long the window waits for a scan thread that was asked to stop
    // when the window goes, before it ends the thread by force.
    static const DWORD kStopWaitMs = 5000;

    ScanCommands(ScanHost& host, OwnerDataCheckList& list);
    // Ends a scan thread that still runs (see onDestroy).
    ~ScanCommands();
    ScanCommands(const ScanCommands&) = delete;
    ScanCommands& operator=(const ScanCommands&) = delete;

    // setUpResultList, once the list control and the status-line font exist.
    void setUpResultList();

    // The full scan: IDC_SCAN, ID_TRAY_SCAN and the start-up scan.
    void startScan();
    // The folder scan: IDC_SCAN_FOLDER, ID_TRAY_SCAN_FOLDER.
    void startFolderScan();
    // IDC_STOP_SCAN.
    void stopScan();
    // pickFolderToScan: the shell's folder picker owned by the window; empty
    // when cancelled or when the pick is not a usable path (after telling
    // the user so).
    std::string pickFolderToScan();

    // WM_SCAN_STATE with the new state.
    void onScanState(UiState state);
    // The WM_FOUND_* messages; takes ownership of the Find* in lParam. The new
    // row and counter are drawn at the next refresh (at most one refresh
    // interval later, after the burst of finds that is being handled).
    void onFound(UINT message, WPARAM wParam, LPARAM lParam);
    // LVN_ITEMCHANGED of the result list.
    void onItemChanged(const NMLISTVIEW& change);
    // IDT_STARTUP_SCAN: the start-up scan, at most once.
    void onStartupScanTimer();
    // IDT_SCAN_REFRESH; other ids are ignored.
    void onTimer(UINT_PTR id);
    // Window destruction: asks a running scan thread to stop and waits for
    // it (bounded, handling this thread's messages meanwhile); ends it by
    // force only when it does not stop in time. Frees the finds still
    // queued. No scan starts afterwards.
    void onDestroy();

    // Writes the bound texts (the description and the four counters) into
    // their controls; the counters are empty until the first scan starts.
    void showBoundTexts();

    ResultList& results() { return results_; }
    ParasiteList& parasites() { return host_.parasiteList(); }
    int resultRowCount() const { return results_.rowCount(); }
    // The finds behind the checked rows, in row order.
    std::vector<Find> checkedFinds() const { return results_.checkedFinds(); }
    // The finds of the last scan at their real places (the scan thread fills
    // them while it runs).
    const ScanResults& scanResults() const { return scanResults_; }
    // Removes every row, empties the description and shows the bound texts
    // (for the removal, after it ran); there is no report to save then.
    void clearResults();
    // Forgets every scan's finds (this one's and the earlier ones' the folder
    // scan knows): the definitions they point into were loaded anew.
    void forgetFinds()
    {
        scanResults_.clear();
        earlierResults_.clear();
    }
    // Removes `rows` (ascending) with their finds; the counters drop by
    // their kinds and the description goes when its row does.
    void removeRows(const std::vector<int>& rows);

    // A scan has ended and its rows are still listed: a report can be made.
    bool reportReady() const { return life_.reportReady(); }
    // The report of the last scan: its start, duration and counts, the
    // reference file named by the settings, and the rows as they are now
    // (checked or not).
    ScanReport scanReport() const;

    // The parasite description of the selected row; empty when none is.
    const std::string& description() const { return description_; }
    const ScanCounts& counts() const { return counts_; }

    // The scan's stage, thread and flags, and the answers that depend on them.
    ScanLife& life() { return life_; }
    const ScanLife& life() const { return life_; }
    // From a confirmed start until the thread's end message, a confirmed
    // stop or the window's end.
    bool scanning() const { return life_.scanning(); }
    // A stop was confirmed and the end-of-scan message has not yet said so.
    bool scanStopped() const { return life_.stopping(); }
    // True from the creation of a scan thread until its end message was
    // handled (or the window went).
    bool scanActive() const { return life_.active(); }
    // A scan thread was ever started.
    bool scanThreadStarted() const { return life_.threadEverStarted(); }
    // The scan thread started last still runs.
    bool scanThreadRunning() const { return life_.threadRunning(); }
    // The scan thread started last; null before the first.
    HANDLE scanThread() const { return life_.thread(); }
    // True when the last thread had to be ended by force.
    bool threadTerminated() const { return life_.threadTerminated(); }

    // Test seams: the folder picker, and narrowed places for the full scan.
    void setFolderPicker(std::function<std::string()> picker) { picker_ = std::move(picker); }
    void setScanPlaces(std::optional<ScanPlaces> places) { places_ = std::move(places); }
    // Test seam: how the scan thread posts its messages to the window.
    void setPostFunction(WindowScanReporter::PostFunction post)
    {
        reporter_.setPost(std::move(post));
    }

private:
    bool mayStart() const;
    // The counter a find of `kind` adds to; null for none.
    int* counterFor(ItemKind kind);
    void resetCounters();
    // Empties the result list and the description.
    void clearRows();
    // Creates the thread with `entry`; false (nothing changed) when it
    // cannot be created.
    bool startThread(LPTHREAD_START_ROUTINE entry);
    void refreshProgress();
    // After the thread's end message: waits for the thread, shows its last
    // texts and stops the refresh.
    void finishThread();
    void dropQueuedScanMessages();

    ScanHost& host_;
    OwnerDataCheckList& list_;
    ScanLife life_;
    ResultList results_;
    WindowScanReporter reporter_{ScanLife::stopRequest()};
    ScanJob job_;
    ScanResults scanResults_;
    // The finds of the scans before the last one (see startThread).
    ScanResults earlierResults_;
    std::optional<ScanPlaces> places_;
    std::function<std::string()> picker_;
    std::string description_;
    ScanCounts counts_;
    bool counted_ = false;           // a scan has started: the counters show numbers
    bool countersChanged_ = false;   // not yet shown
    // The last scan, for its report.
    std::string scannedFolder_;      // empty: the whole PC
    SYSTEMTIME startedAt_ = {};      // local time
    DWORD startTick_ = 0;
    DWORD durationMs_ = 0;
};

}  // namespace kestrune
