// An EventSink for tests: in place of the Application log while it lives,
// it keeps every event written, each as one line "ID LEVEL text|text|...".
#pragma once

#include "platform/event_log.h"

#include <mutex>
#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

class RecordingEventSink : public EventSink {
public:
    RecordingEventSink() : scope_(*this) {}
    void write(const LoggedEvent& event) override;
    // The events so far, as described above (LEVEL: info, warning, error).
    std::vector<std::string> lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    EventSinkScope scope_;
};

}  // namespace testing_support
}  // namespace kestrune
