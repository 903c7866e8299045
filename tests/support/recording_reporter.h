// A ScanReporter for tests: records everything a scan reports, and can run a
// hook on each event (to request a stop at a chosen moment).
#pragma once

#include "scan/scan_reporter.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

class RecordingReporter : public ScanReporter {
public:
    void scanStarted() override;
    void phaseStarted(ScanPhase phase) override;
    void found(const Find& find) override;
    void currentText(const std::string& text) override;
    void itemsScanned(unsigned long count) override;
    void unreadable(const std::string& path) override;
    void scanFailed(const std::string& reason) override;
    void protectedSkipped(const Find& find) override;
    void ignoredFind(const Find& find) override;
    void scanEnded() override;

    // Events in order: "started", "phase:<name>", "found:<type>:<p>:<i>:<location>",
    // "unreadable:<path>", "failed:<reason>", "ended". Texts and counts are
    // kept apart (there are many).
    std::vector<std::string> events;
    std::vector<Find> finds;
    // Skipped items, "<type>:<p>:<i>:<location>", in order; not in `events`.
    std::vector<std::string> skipped;
    // Ignored finds, in the same form and order; not in `events`.
    std::vector<std::string> ignored;
    std::vector<std::string> texts;
    std::vector<ScanPhase> phases;
    std::vector<std::string> unreadables;
    unsigned long lastCount = 0;
    int countCalls = 0;
    bool countWentBackwards = false;
    int started = 0;
    int ended = 0;
    bool reportedAfterEnd = false;

    // Called after each event is recorded, with the event's text ("text:<t>"
    // for a status text, "count:<n>" for a count). It may throw, to fail the
    // scan at a chosen moment.
    std::function<void(const std::string& event)> hook;

    // The locations of the finds, in order.
    std::vector<std::string> locations() const;

private:
    void note(const std::string& event);
};

}  // namespace testing_support
}  // namespace kestrune
