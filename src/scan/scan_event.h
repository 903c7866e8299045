// The event a scan writes when it ends: a ScanReporter that passes everything
// on to the owner's reporter and counts, on the way, what the event tells.
#pragma once

#include "scan/scan_reporter.h"
#include "scan/scan_thread.h"

#include <windows.h>

#include <string>

namespace kestrune {

class ScanEventTally : public ScanReporter {
public:
    explicit ScanEventTally(ScanReporter& owner) : owner_(owner) {}

    void scanStarted() override;
    void phaseStarted(ScanPhase phase) override { owner_.phaseStarted(phase); }
    void found(const Find& find) override;
    void currentText(const std::string& text) override { owner_.currentText(text); }
    void itemsScanned(unsigned long count) override;
    void protectedSkipped(const Find& find) override;
    void ignoredFind(const Find& find) override { owner_.ignoredFind(find); }
    void unreadable(const std::string& path) override { owner_.unreadable(path); }
    void scanFailed(const std::string& reason) override { owner_.scanFailed(reason); }
    void scanEnded() override { owner_.scanEnded(); }

    // Writes the scan's event (KESTRUNE_EVENT_SCAN): its result ("completed",
    // "stopped" or "failed: REASON"), what it scanned ("whole PC" or
    // "folder PATH"), the finds, items scanned, places it could not read,
    // protected items passed over, ignored finds and its seconds. Error when
    // it failed, Warning with finds, Information otherwise.
    void writeEvent(const ScanOutcome& outcome, bool stopped, const std::string& folder) const;

private:
    ScanReporter& owner_;
    DWORD startTick_ = GetTickCount();
    unsigned long finds_ = 0;
    unsigned long items_ = 0;
    unsigned long protected_ = 0;
};

}  // namespace kestrune
