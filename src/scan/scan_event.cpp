// The scan's tally and its event.
#include "scan/scan_event.h"

#include "platform/event_log.h"

#include "kestrune_events.h"

namespace kestrune {

void ScanEventTally::scanStarted()
{
    startTick_ = GetTickCount();
    owner_.scanStarted();
}

void ScanEventTally::found(const Find& find)
{
    owner_.found(find);
    ++finds_;
}

void ScanEventTally::itemsScanned(unsigned long count)
{
    items_ = count;
    owner_.itemsScanned(count);
}

void ScanEventTally::protectedSkipped(const Find& find)
{
    ++protected_;
    owner_.protectedSkipped(find);
}

void ScanEventTally::writeEvent(const ScanOutcome& outcome, bool stopped,
                                const std::string& folder) const
try {
    LoggedEvent event;
    event.id = KESTRUNE_EVENT_SCAN;
    std::string result = "completed";
    if (!outcome.failure.empty()) {
        result = "failed: " + outcome.failure;
        event.level = EventLevel::Error;
    } else if (stopped) {
        result = "stopped";
    }
    if (event.level == EventLevel::Information && finds_ > 0)
        event.level = EventLevel::Warning;
    const unsigned long seconds = (GetTickCount() - startTick_) / 1000;
    event.texts = {result,
                   folder.empty() ? "whole PC" : "folder " + folder,
                   std::to_string(finds_),
                   std::to_string(items_),
                   std::to_string(outcome.unreadable),
                   std::to_string(protected_),
                   std::to_string(outcome.ignored),
                   std::to_string(seconds)};
    kestrune::writeEvent(event);
} catch (...) {
    // No event (out of memory): the scan's own report stands.
}

}  // namespace kestrune
