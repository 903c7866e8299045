// ScanLife: the scan's stages and their moves, and the window's answers.
#include "app/scan_life.h"

#include "removal/reboot_pending.h"

namespace kestrune {

namespace {

bool endsBefore(ScanStage stage)
{
    return stage == ScanStage::Idle || stage == ScanStage::Finished ||
           stage == ScanStage::Failed;
}

}  // namespace

bool scanMoveAllowed(ScanStage from, ScanStage to)
{
    if (from == ScanStage::Closed)
        return false;
    switch (to) {
    case ScanStage::Idle:
        // A start whose questions ended goes back to where it came from.
        return from == ScanStage::Starting;
    case ScanStage::Finished:
    case ScanStage::Failed:
        // The end message ends a running scan.
        return from == ScanStage::Scanning || from == ScanStage::Stopping ||
               from == ScanStage::Starting;
    case ScanStage::Starting:
    case ScanStage::Scanning:
        return endsBefore(from);
    case ScanStage::Stopping:
        return from == ScanStage::Scanning;
    case ScanStage::Closed:
        return true;
    }
    return false;
}

bool ScanLife::moveTo(ScanStage to)
{
    if (!scanMoveAllowed(stage_, to))
        return false;
    stage_ = to;
    return true;
}

bool ScanLife::beginStart(UiState uiState, bool removalUnderWay)
{
    if (!mayStartScan(uiState, removalUnderWay))
        return false;
    beforeStart_ = stage_;
    return moveTo(ScanStage::Starting);
}

void ScanLife::endStart()
{
    if (stage_ == ScanStage::Starting)
        moveTo(beforeStart_);
}

bool ScanLife::confirmStop()
{
    if (!moveTo(ScanStage::Stopping))
        return false;
    requestStop();
    return true;
}

void ScanLife::ended(bool failed)
{
    lastEnd_.stopped = stopping();
    lastEnd_.failed = failed;
    reportReady_ = true;
    moveTo(failed ? ScanStage::Failed : ScanStage::Finished);
}

std::atomic<bool>& ScanLife::stopRequest()
{
    return stopRequested;
}

void ScanLife::clearRebootPending()
{
    rebootPending = false;
}

bool ScanLife::takeRebootPending()
{
    return rebootPending.exchange(false);
}

bool ScanLife::threadRunning() const
{
    return thread_.valid() && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

bool ScanLife::takeStartupScan()
{
    if (startupScanTaken_ || closed())
        return false;
    startupScanTaken_ = true;
    return true;
}

bool ScanLife::mayStartScan(UiState uiState, bool removalUnderWay) const
{
    return endsBefore(stage_) && uiState == UiState::Idle && !removalUnderWay &&
           !threadRunning();
}

bool ScanLife::mayRestore(UiState uiState, bool removalUnderWay) const
{
    return !closed() && !scanning() && !removalUnderWay &&
           (uiState == UiState::Idle || uiState == UiState::ScanFinished);
}

bool ScanLife::rowsMayChange(UiState uiState, bool removalUnderWay) const
{
    return (uiState == UiState::Idle || uiState == UiState::ScanFinished) && !active() &&
           !closed() && !removalUnderWay;
}

}  // namespace kestrune
