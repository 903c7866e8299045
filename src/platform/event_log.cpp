// The Application log sink and the current sink.
#include "platform/event_log.h"

#include <atomic>

namespace kestrune {

namespace {

const char kEventSource[] = "Kestrune";

ApplicationLogSink applicationLog;
std::atomic<EventSink*> currentSink{&applicationLog};

// An event source handle of RegisterEventSourceA.
class EventSource {
public:
    EventSource() : handle_(RegisterEventSourceA(nullptr, kEventSource)) {}
    ~EventSource()
    {
        if (handle_ != nullptr)
            DeregisterEventSource(handle_);
    }
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

WORD eventType(EventLevel level)
{
    switch (level) {
    case EventLevel::Warning:
        return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error:
        return EVENTLOG_ERROR_TYPE;
    case EventLevel::Information:
        break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

void ApplicationLogSink::write(const LoggedEvent& event)
{
    EventSource source;
    if (source.get() == nullptr)
        return;
    std::vector<const char*> texts;
    for (const std::string& text : event.texts)
        texts.push_back(text.c_str());
    ReportEventA(source.get(), eventType(event.level), 0, event.id, nullptr,
                 static_cast<WORD>(texts.size()), 0, texts.empty() ? nullptr : texts.data(),
                 nullptr);
}

void writeEvent(const LoggedEvent& event)
{
    try {
        currentSink.load()->write(event);
    } catch (...) {
        // Lost: see EventSink.
    }
}

EventSinkScope::EventSinkScope(EventSink& sink) : previous_(currentSink.exchange(&sink)) {}

EventSinkScope::~EventSinkScope()
{
    currentSink.store(previous_);
}

}  // namespace kestrune
