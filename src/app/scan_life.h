// ScanLife: the life of the main window's scans in one place. It owns the
// scan's stage and its moves (idle -> starting -> scanning -> stopping ->
// finished or failed, and closed when the window goes), the scan thread
// started last, the facts the window keeps about the last scan, and the
// window's only access to the process-wide stopRequested and rebootPending.
// It answers whether a scan, a removal, a restore or a reload of the
// definitions may start now, and whether the result rows may change; the
// window's uiState and whether the removal flow is under way are handed in,
// as the window owns them. Window thread only.
#pragma once

#include "app/ui_state.h"
#include "platform/handles.h"
#include "scan/stop_request.h"

#include <windows.h>

#include <atomic>

namespace kestrune {

enum class ScanStage {
    Idle,       // no scan has been started in this window
    Starting,   // a start command asks its questions (browsers, the folder)
    Scanning,   // from the creation of the scan thread until its end message
    Stopping,   // the user confirmed the stop; the end message has not come
    Finished,   // the end message was handled: the scan ran to its end or stopped
    Failed,     // the end message was handled: the scan broke off on a failure
    Closed,     // the window went: nothing starts any more
};

// The table of allowed moves: true when a scan in `from` may move to `to`.
bool scanMoveAllowed(ScanStage from, ScanStage to);

// How the last scan ended, for its report.
struct ScanEnd {
    bool stopped = false;
    bool failed = false;
};

class ScanLife {
public:
    ScanLife() = default;
    ScanLife(const ScanLife&) = delete;
    ScanLife& operator=(const ScanLife&) = delete;

    ScanStage stage() const { return stage_; }
    // Moves to `to` when the table allows it; false (nothing changed) otherwise.
    bool moveTo(ScanStage to);

    // From a confirmed start until the thread's end message, a confirmed stop
    // or the window's end.
    bool scanning() const { return stage_ == ScanStage::Scanning; }
    // A stop was confirmed and the end message has not yet said so.
    bool stopping() const { return stage_ == ScanStage::Stopping; }
    // From the creation of a scan thread until its end message was handled
    // (or the window went).
    bool active() const { return scanning() || stopping(); }
    bool closed() const { return stage_ == ScanStage::Closed; }

    // The questions of a start command: beginStart moves to Starting (false
    // when the scan may not start), endStart back to the stage before it.
    bool beginStart(UiState uiState, bool removalUnderWay);
    void endStart();

    // Clears stopRequested (beginScan) and creates the scan thread with `create`, which
    // returns its handle (null when it could not be created: nothing
    // changes). The thread is then the one started last, and the stage
    // Scanning.
    template <typename Create>
    bool startThread(Create&& create);

    // The user confirmed the stop: Scanning moves to Stopping and the stop is
    // requested. False when no scan was Scanning.
    bool confirmStop();
    // The end message was handled: the scan is Finished or Failed, and its
    // end and report are kept.
    void ended(bool failed);
    // The window goes: Closed from any stage.
    void close() { moveTo(ScanStage::Closed); }

    // Sets stopRequested (the stop command, the window's end).
    void requestStop() { stopRequest().store(true); }
    // The request the scan threads of this window end early on.
    static std::atomic<bool>& stopRequest();
    // A scan starts: an earlier removal's pending restart is no longer told.
    void clearRebootPending();
    // The removal's summary: whether a file waits for the restart; clears it.
    bool takeRebootPending();

    // The scan thread started last; null before the first.
    HANDLE thread() const { return thread_.get(); }
    bool threadRunning() const;
    // A scan thread was ever started.
    bool threadEverStarted() const { return threadStarted_; }
    // The last thread had to be ended by force.
    bool threadTerminated() const { return terminated_; }
    void markTerminated() { terminated_ = true; }

    // The start-up scan is taken at most once, and never after the window went.
    bool takeStartupScan();

    // A scan has ended and its rows are still listed: a report can be made.
    bool reportReady() const { return reportReady_; }
    void dropReport() { reportReady_ = false; }
    const ScanEnd& lastEnd() const { return lastEnd_; }

    // The answers. uiState is the window's stored state; `removalUnderWay`
    // whether the removal flow runs (one of its questions may be open).
    bool mayStartScan(UiState uiState, bool removalUnderWay) const;
    // A scan holds the result list and the definitions from the creation of
    // its thread until the window has handled its end, and as long as the
    // thread runs: no removal meanwhile.
    bool holdsList() const { return active() || threadRunning(); }
    bool mayStartRemoval(bool removalUnderWay) const { return !removalUnderWay && !holdsList(); }
    // The definitions are reloaded (update) only while no scan thread runs.
    bool mayReloadDefinitions() const { return !threadRunning(); }
    // A restore waits for nothing a scan, removal or update is doing. Neither
    // a restore nor a change of rows once the window is going.
    bool mayRestore(UiState uiState, bool removalUnderWay) const;
    // No scan, backup or removal runs: the result rows may change.
    bool rowsMayChange(UiState uiState, bool removalUnderWay) const;

private:
    ScanStage stage_ = ScanStage::Idle;
    ScanStage beforeStart_ = ScanStage::Idle;
    ScopedHandle thread_;   // the scan thread started last
    bool threadStarted_ = false;
    bool terminated_ = false;
    bool startupScanTaken_ = false;
    bool reportReady_ = false;
    ScanEnd lastEnd_;
};

template <typename Create>
bool ScanLife::startThread(Create&& create)
{
    if (!scanMoveAllowed(stage_, ScanStage::Scanning))
        return false;
    HANDLE thread = beginScan(create);
    if (thread == nullptr)
        return false;
    thread_.reset(thread);
    threadStarted_ = true;
    terminated_ = false;
    reportReady_ = false;
    return moveTo(ScanStage::Scanning);
}

}  // namespace kestrune
