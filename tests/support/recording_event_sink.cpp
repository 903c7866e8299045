#include "support/recording_event_sink.h"

namespace kestrune {
namespace testing_support {

void RecordingEventSink::write(const LoggedEvent& event)
{
    const char* level = event.level == EventLevel::Error     ? "error"
                        : event.level == EventLevel::Warning ? "warning"
                                                             : "info";
    std::string line = std::to_string(event.id) + " " + level + " ";
    for (size_t i = 0; i < event.texts.size(); ++i)
        line += (i > 0 ? "|" : "") + event.texts[i];
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> RecordingEventSink::lines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

}  // namespace testing_support
}  // namespace kestrune
