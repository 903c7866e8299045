// The events Kestrune writes where administrators collect them: the Windows
// Application log, source "Kestrune". Every event goes through the current
// EventSink: the Application log unless a test has put its own in place.
// The ids and their texts live in the message table (res/kestrune_events.mc);
// an event carries only its id, its level and the texts for %1, %2, ...
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

enum class EventLevel { Information, Warning, Error };

struct LoggedEvent {
    DWORD id = 0;
    EventLevel level = EventLevel::Information;
    std::vector<std::string> texts;
};

// Where events go. write may be called from any thread (a scan's event comes
// from the scan thread) and must not throw; an event that cannot be written
// is lost, which no caller is told about: the log is a copy of what the
// program already reports.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void write(const LoggedEvent& event) = 0;
};

// The Application log through RegisterEventSourceA("Kestrune") and
// ReportEventA. Under Wine both succeed and nothing is stored.
class ApplicationLogSink : public EventSink {
public:
    void write(const LoggedEvent& event) override;
};

// Writes `event` to the current sink.
void writeEvent(const LoggedEvent& event);

// Puts `sink` in place of the current sink for its lifetime (tests), and the
// previous one back after it. Made and ended while no event is written.
class EventSinkScope {
public:
    explicit EventSinkScope(EventSink& sink);
    ~EventSinkScope();
    EventSinkScope(const EventSinkScope&) = delete;
    EventSinkScope& operator=(const EventSinkScope&) = delete;

private:
    EventSink* previous_;
};

}  // namespace kestrune
