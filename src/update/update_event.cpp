// The update's event.
#include "update/update_event.h"

#include "platform/event_log.h"

#include "kestrune_events.h"

namespace kestrune {

namespace {

std::string refusalReason(DownloadOutcome outcome)
{
    switch (outcome) {
    case DownloadOutcome::DownloadFailed:
        return "the download failed";
    case DownloadOutcome::BadSignature:
        return "the signature is missing or not made with Kestrune's update key";
    case DownloadOutcome::NotValid:
        return "the file is no valid reference file";
    case DownloadOutcome::NotInstalled:
        return "the file could not be put in place";
    case DownloadOutcome::NoStatement:
        return "the release statement is missing or its signature is wrong";
    case DownloadOutcome::NotTheRelease:
        return "the file is not the one the release statement names";
    case DownloadOutcome::OlderRelease:
        return "the server offers an older release than the one installed";
    case DownloadOutcome::ExpiredRelease:
        return "the release statement has expired";
    default:
        break;
    }
    return "refused";
}

}  // namespace

void writeUpdateEvent(DownloadOutcome outcome, const std::string& target)
try {
    LoggedEvent event;
    if (outcome == DownloadOutcome::Installed) {
        event.id = KESTRUNE_EVENT_UPDATE_INSTALLED;
        event.texts = {target};
    } else {
        event.id = KESTRUNE_EVENT_UPDATE_REFUSED;
        event.level = EventLevel::Warning;
        event.texts = {target, refusalReason(outcome)};
    }
    writeEvent(event);
} catch (...) {
    // No event (out of memory); it runs on the download's thread, which
    // nothing may leave by an exception.
}

}  // namespace kestrune
