// kestrune-cli clean: a full scan, then the removal of everything it found,
// with an optional backup first, through the same code as the window's
// remove command and with the same log. Asks no questions. Every protected
// place the reference file names is named on standard error and left alone;
// so are the places the scan could not read. A scan that fails removes
// nothing and ends with 2. A find that is gone by the time the backup and the
// removal start is neither backed up nor removed nor logged: it is "gone".
// With --json standard output gets one JSON document
// in place of the lines.
#include "cli.h"
#include "elevation_notice.h"
#include "json_output.h"
#include "scan_record.h"

#include "definitions/parasite.h"
#include "platform/shell.h"
#include "removal/backup_pruning.h"
#include "removal/backup_run.h"
#include "scan/find_items.h"
#include "removal/removal_log.h"
#include "removal/removal_run.h"
#include "removal/still_there.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "scan/scan_reporter.h"
#include "scan/scan_results.h"
#include "scan/scan_thread.h"
#include "scan/stop_request.h"
#include "settings/data_folder.h"
#include "settings/ignore_list.h"
#include "settings/settings_store.h"

#include <cstdio>
#include <map>
#include <set>
#include <tuple>

namespace kestrune {
namespace cli {

namespace {
// Keeps every find of the scan and shows the phases unless quiet.
class CleanScanReporter : public RecordingReporter {
public:
    CleanScanReporter(const ParasiteList& parasites, ScanRecord& record, bool quiet)
        : RecordingReporter(parasites, record), quiet_(quiet)
    {
    }
    void phaseStarted(ScanPhase phase) override
    {
        if (!quiet_)
            std::fprintf(stderr, "scanning: %s\n", phaseName(phase));
    }

private:
    bool quiet_;
};

const char* resultWord(RemovalResult result)
{
    switch (result) {
    case RemovalResult::Deleted:
        return "deleted";
    case RemovalResult::Scheduled:
        return "scheduled";
    case RemovalResult::Failed:
        return "failed";
    case RemovalResult::Refused:
        return "refused";
    case RemovalResult::Gone:
        return "gone";
    }
    return "";
}

// The item an outcome is about when the scan's find does not say: as the
// result list would show it.
std::string outcomeLocation(const RemovalOutcome& outcome)
{
    switch (outcome.kind) {
    case ItemKind::File:
    case ItemKind::Folder:
        return outcome.path + "\\" + outcome.name;
    case ItemKind::Cookie:
        return outcome.name;
    case ItemKind::RegistryKey:
    case ItemKind::RegistryValue:
        break;
    }
    return outcome.path;
}

// Prints one line per outcome on standard output (kept for the JSON document
// instead with --json): result, type, parasite and location, separated by
// tabs; program steps on standard error unless quiet; protected places
// refused or left inside a folder, and programs and components spared for
// what their files are, on standard error always.
class CleanRemovalReport : public RemovalReport {
public:
    CleanRemovalReport(const ParasiteList& parasites, const CleanOptions& options,
                       const std::vector<Find>& finds, CleanRecord& record)
        : parasites_(parasites), options_(options), record_(record)
    {
        // An outcome names its item by the location of the find behind it,
        // so that every find has its outcome under the same text.
        for (const Find& find : finds)
            locations_.emplace(std::make_tuple(find.parasiteIndex, static_cast<int>(find.kind),
                                               find.itemIndex),
                               find.location);
    }
    void outcome(const RemovalOutcome& outcome) override
    {
        const Parasite* parasite = parasites_.at(outcome.parasiteIndex);
        CleanItem item;
        item.result = resultWord(outcome.result);
        item.kind = outcome.kind;
        item.parasite = parasite ? parasite->name : std::string();
        const auto found = locations_.find(std::make_tuple(
            outcome.parasiteIndex, static_cast<int>(outcome.kind), outcome.itemIndex));
        item.location = found != locations_.end() ? found->second : outcomeLocation(outcome);
        item.ignoredInside = outcome.ignoredInside;
        if (options_.json) {
            record_.items.push_back(item);
        } else {
            std::printf("%s\t%s\t%s\t%s\n", item.result.c_str(), typeWord(item.kind),
                        item.parasite.c_str(), item.location.c_str());
            std::fflush(stdout);
        }
        if (!item.ignoredInside.empty())
            std::fprintf(stderr, "kept: %s holds %s, which the ignore list keeps\n",
                         item.location.c_str(), item.ignoredInside.c_str());
        else if (outcome.result == RemovalResult::Refused && outcome.protectedPlace)
            std::fputs(protectedItemLine(item.location, item.kind, item.parasite).c_str(), stderr);
    }
    void placeKept(const std::string& path) override
    {
        // Both passes over a parasite's programs meet the same file.
        if (!kept_.insert(path).second)
            return;
        record_.kept.push_back(path);
        std::fprintf(stderr, "protected: %s is never touched\n", path.c_str());
    }
    void programStep(const ProgramStep& step) override
    {
        // A file spared for what it is, told once like a protected place.
        if (step.kind == ProgramStep::Spared) {
            if (spared_.insert(step.path).second)
                std::fprintf(stderr, "not stopped: %s (%s); only its name is removed\n",
                             step.path.c_str(), step.reason.c_str());
            return;
        }
        if (options_.quiet)
            return;
        const char* what = step.kind == ProgramStep::Terminated     ? "ended program"
                           : step.kind == ProgramStep::Unregistered ? "unregistered"
                                                                    : "could not unregister";
        std::fprintf(stderr, "%s: %s\n", what, step.path.c_str());
    }

private:
    const ParasiteList& parasites_;
    const CleanOptions& options_;
    CleanRecord& record_;
    std::set<std::string> kept_;
    std::set<std::string> spared_;
    std::map<std::tuple<int, int, int>, std::string> locations_;
};

// Tells of every backup step that failed (and, unless quiet, of the rest).
class CleanBackupReport : public BackupReport {
public:
    explicit CleanBackupReport(bool quiet) : quiet_(quiet) {}
    void step(const BackupStep& step) override
    {
        if (step.ok && quiet_)
            return;
        std::fprintf(stderr, "backup: %s %s%s%s\n", step.ok ? "saved" : "FAILED",
                     step.source.c_str(), step.target.empty() ? "" : " -> ",
                     step.target.c_str());
    }

private:
    bool quiet_;
};

// The end of a run: with --json the document, then the exit code.
int finish(const CleanOptions& options, const ParasiteList& parasites, const ScanRecord& scan,
           const CleanRecord& clean, int exitCode)
{
    if (options.json) {
        const std::string json = cleanJson(parasites, scan, clean, exitCode);
        std::fwrite(json.data(), 1, json.size(), stdout);
    }
    return exitCode;
}

}  // namespace

int runCleanCommand(const CleanOptions& options)
{
    noteWhenNotElevated();
    ScanRecord record;
    ParasiteList parasites;
    if (!loadScanDefinitions(options.definitions, parasites, record))
        return kExitUsage;

    // The places nothing here touches; the definitions in use are Kestrune's
    // own, whatever the settings name.
    OwnPlaces own = ownPlacesFromSettings();
    own.referenceFile = record.definitionsFile;
    const ProtectedPlaces places = ProtectedPlaces::forThisMachine(own);

    // What the user keeps, read once: neither found nor taken with a folder
    // or key that holds it.
    const IgnoreSet ignored = options.noIgnore ? IgnoreSet() : IgnoreSet::load();

    CleanScanReporter scan(parasites, record, options.quiet);
    ScanResults results;
    recordStart(record);
    const ScanOutcome outcome = beginScan(
        [&] {
            return runFullScan(parasites, scan, stopRequested, nullptr, &places, &ignored,
                               &results);
        });
    recordEnd(record);
    record.failure = outcome.failure;
    record.ignored = outcome.ignored;
    if (!options.quiet)
        std::fprintf(stderr, "scanned %lu items, %lu found\n", record.itemsScanned,
                     static_cast<unsigned long>(record.finds.size()));
    printScanCounts(outcome);
    CleanRecord clean;
    // clean acts on a whole scan only: after a failure nothing is removed.
    if (!outcome.failure.empty()) {
        printError("the scan failed (" + outcome.failure + "); nothing was removed");
        return finish(options, parasites, record, clean, kExitFailed);
    }
    // The removal acts on each find at its real place, on items of its own.
    ParasiteList items;
    const std::vector<Find> finds = itemsOfFinds(parasites, &results, record.finds, items);
    if (finds.empty()) {
        if (!options.json)
            std::printf("nothing to remove\n");
        return finish(options, parasites, record, clean, kExitOk);
    }

    RemovalLog log(consoleLogFolder(), datedLogName());
    CleanRemovalReport report(items, options, finds, clean);
    RemovalRun run(log, &report, places);
    run.setIgnored(&ignored);
    // What went since the scan is neither backed up nor removed.
    recordGoneItems(items, run, cookiesFolder());

    if (options.backup && selectedItemCount(items) > 0) {
        CleanBackupReport backupReport(options.quiet);
        const BackupOutcome backup = makeBackup(items, &backupReport, places);
        clean.backupAsked = true;
        clean.backupOpened = backup.archiveOpened;
        clean.backupComplete = backup.complete;
        if (backup.written)
            clean.archive = backup.archivePath;
        if (backup.written && !options.json)
            std::printf("backup: %s\n", backup.archivePath.c_str());
        if (backup.complete) {
            const PruneResult pruned = pruneAfterBackup(backup.archivePath);
            clean.pruned = pruned.deleted;
            if (!options.json)
                for (const std::string& path : pruned.deleted)
                    std::printf("old backup deleted: %s\n", path.c_str());
            for (const std::string& path : pruned.failed)
                printError("cannot delete the old backup " + path);
        } else {
            printError(backup.archiveOpened ? "the backup is incomplete"
                                            : "the backup archive cannot be created");
            if (!options.force) {
                printError("nothing was removed (--force removes all the same)");
                takeStatuses(items, parasites);
                return finish(options, parasites, record, clean, kExitFindings);
            }
        }
    }

    run.setArchive(clean.archive);
    const RemovalTotals totals = runRemovalActions(items, run);
    takeStatuses(items, parasites);
    clean.log = log.path();

    if (!options.json) {
        std::printf("%d deleted, %d to be deleted at the next restart, %d failed, %d refused",
                    totals.deleted, totals.scheduled, totals.failed, totals.refused);
        if (totals.gone > 0)
            std::printf(", %d already gone", totals.gone);
        std::printf("\n");
        std::printf("log: %s\n", log.path().c_str());
    }
    if (totals.logFailures > 0)
        printError("the log could not be written whole");
    const int exitCode = totals.somethingLeft()      ? kExitFindings
                         : totals.scheduled > 0 ? kExitRestartNeeded
                                                : kExitOk;
    return finish(options, parasites, record, clean, exitCode);
}

}  // namespace cli
}  // namespace kestrune
