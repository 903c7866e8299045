// The outcome sink of a removal run, the order of the removal actions and
// the run's event.
#include "removal/removal_run.h"

#include "platform/fs_redirection.h"
#include "platform/shell.h"
#include "removal/cookie_removal.h"
#include "removal/file_removal.h"
#include "removal/registry_removal.h"
#include "removal/still_there.h"
#include "removal/test_stop.h"

#include "platform/event_log.h"

#include "kestrune_events.h"

namespace kestrune {

const char kStatusRemoved[] = "Removed";
const char kStatusFailedToRemove[] = "Failed to Remove";

RemovalRun::RemovalRun(const RemovalLog& log, RemovalReport* report, const ProtectedPlaces& places)
    : log_(log), report_(report), places_(places)
{
}

void RemovalRun::record(Parasite& parasite, const RemovalOutcome& outcome)
{
    switch (outcome.result) {
    case RemovalResult::Deleted:
        ++totals_.deleted;
        parasite.status = kStatusRemoved;
        break;
    case RemovalResult::Scheduled:
        ++totals_.scheduled;
        parasite.status = kStatusFailedToRemove;
        break;
    case RemovalResult::Failed:
        ++totals_.failed;
        parasite.status = kStatusFailedToRemove;
        break;
    case RemovalResult::Refused:
        ++totals_.refused;
        break;
    case RemovalResult::Gone:
        // Nothing was done to it: no record, no status.
        ++totals_.gone;
        if (report_ != nullptr)
            report_->outcome(outcome);
        return;
    }
    std::string record = logRecord(outcome);
    if (!record.empty() && !log_.write(record))
        ++totals_.logFailures;
    if (report_ != nullptr)
        report_->outcome(outcome);
    if (outcome.result == RemovalResult::Deleted)
        stopHereForTests(kStopDuringRemoval);
}

namespace {

void writeRemovalEvent(const RemovalTotals& totals, const std::string& archive)
try {
    LoggedEvent event;
    event.id = KESTRUNE_EVENT_REMOVAL;
    if (totals.somethingLeft() || totals.scheduled > 0)
        event.level = EventLevel::Warning;
    event.texts = {std::to_string(totals.deleted), std::to_string(totals.scheduled),
                   std::to_string(totals.failed), std::to_string(totals.refused),
                   archive.empty() ? "none" : archive};
    writeEvent(event);
} catch (...) {
    // No event (out of memory): the run's log and totals stand.
}

}  // namespace

RemovalTotals runRemovalActions(ParasiteList& parasites, RemovalRun& run)
{
    const std::string cookies = cookiesFolder();
    {
        // The checks and the file removal see the real System32 and SysWOW64
        // on 64-bit Windows.
        const ScopedFsRedirectionOff realFolders;
        recordGoneItems(parasites, run, cookies);
    }
    removeRegistryItems(parasites, run);
    {
        const ScopedFsRedirectionOff realFolders;
        removeFileItems(parasites, run);
    }
    removeCookieItems(parasites, run);
    writeRemovalEvent(run.totals(), run.archive());
    return run.totals();
}

}  // namespace kestrune
