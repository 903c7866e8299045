// Boundaries: the event of an exception stopped at one.
#include "platform/boundary.h"

#include "platform/event_log.h"

#include "kestrune_events.h"

namespace kestrune {

void reportEscapedException(const char* boundary, const char* what) noexcept
{
    try {
        LoggedEvent event;
        event.id = KESTRUNE_EVENT_UNEXPECTED_ERROR;
        event.level = EventLevel::Error;
        event.texts = {boundary, what != nullptr ? what : ""};
        writeEvent(event);
    } catch (...) {
        // Lost (out of memory): see EventSink.
    }
}

}  // namespace kestrune
