// One removal run: the places it never touches, where its outcomes go (log,
// report, the parasite's status and the totals) and the fixed order of the
// three removal actions. Window thread only; a run must not overlap a scan of
// the same list.
#pragma once

#include "definitions/parasite.h"
#include "removal/removal_log.h"
#include "removal/removal_report.h"
#include "safety/protected_places.h"
#include "settings/ignore_list.h"

#include <string>

namespace kestrune {

// The statuses a removal run gives a parasite.
extern const char kStatusRemoved[];
extern const char kStatusFailedToRemove[];

class RemovalRun {
public:
    // `report` may be null. The log, the report and the places must outlive
    // the run.
    RemovalRun(const RemovalLog& log, RemovalReport* report, const ProtectedPlaces& places);
    RemovalRun(const RemovalRun&) = delete;
    RemovalRun& operator=(const RemovalRun&) = delete;

    // Writes the outcome's log record (none for a refused item that names no
    // place), sets the parasite's status ("Removed" when deleted, "Failed to
    // Remove" when scheduled or failed, unchanged when refused), counts it and
    // passes it to the report.
    void record(Parasite& parasite, const RemovalOutcome& outcome);
    // The report handed in (may be null), for the helpers that tell it of
    // the programs they stop.
    RemovalReport* report() const { return report_; }
    // The places the run refuses to touch.
    const ProtectedPlaces& places() const { return places_; }
    // The finds the user keeps: a selected folder or key that holds one is
    // refused (RemovalOutcome::ignoredInside). Null, the default: none.
    // `ignored` must outlive the run.
    void setIgnored(const IgnoreSet* ignored) { ignored_ = ignored; }
    const IgnoreSet* ignored() const { return ignored_; }
    // The backup archive made for this run, named in its event; empty, the
    // default: none.
    void setArchive(const std::string& archive) { archive_ = archive; }
    const std::string& archive() const { return archive_; }

    const RemovalTotals& totals() const { return totals_; }

private:
    const RemovalLog& log_;
    RemovalReport* report_;
    const ProtectedPlaces& places_;
    const IgnoreSet* ignored_ = nullptr;
    std::string archive_;
    RemovalTotals totals_;
};

// The removal sequence over the items whose `selected` is 1: those no longer
// there are set aside as Gone (recordGoneItems), then (each checked again
// against the run's places first, see item_refusal.h) every selected
// registry key, then every selected value (removeRegistryItems); each
// parasite's files, then every folder (removeFileItems); then the cookies
// (removeCookieItems). Then writes the run's event (KESTRUNE_EVENT_REMOVAL:
// deleted, scheduled, failed and refused counts and the archive, "none"
// without one; Warning when something is left or waits for the restart).
// Returns the run's totals.
RemovalTotals runRemovalActions(ParasiteList& parasites, RemovalRun& run);

}  // namespace kestrune
