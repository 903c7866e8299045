// kestrune-cli clean: a full scan, then the removal of everything it found,
// with an optional backup first, through the same code as the window's
// remove command and with the same log. Asks no questions. Every protected
// place the reference file names is named on standard error and left alone;
// so are the places the scan could not read. A scan that fails removes
// nothing and ends with 1.
#include "cli.h"
#include "elevation_notice.h"

#include "definitions/reference_file.h"
#include "removal/backup_run.h"
#include "removal/removal_log.h"
#include "removal/removal_run.h"
#include "removal/selection.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "scan/scan_reporter.h"
#include "scan/scan_thread.h"
#include "scan/stop_request.h"
#include "settings/settings_store.h"

#include <cstdio>
#include <set>

namespace kestrune {
namespace cli {

namespace {

const char kCleanUsage[] =
    "usage: kestrune-cli clean [--definitions FILE] [--backup [--force]] [--quiet]\n";

struct CleanOptions {
    std::string definitions;
    bool backup = false;
    bool force = false;
    bool quiet = false;
};

int usageError(const std::string& message)
{
    printError(message);
    std::fputs(kCleanUsage, stderr);
    return kExitUsage;
}

// Reads the options; false (after the message) when they are wrong.
bool parseOptions(const Args& args, CleanOptions& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--definitions" && i + 1 < args.size() && options.definitions.empty())
            options.definitions = args[++i];
        else if (arg == "--backup")
            options.backup = true;
        else if (arg == "--force")
            options.force = true;
        else if (arg == "--quiet")
            options.quiet = true;
        else {
            usageError(arg == "--definitions" ? "--definitions takes one FILE"
                                              : "unexpected argument '" + arg + "'");
            return false;
        }
    }
    if (options.force && !options.backup) {
        usageError("--force goes with --backup");
        return false;
    }
    return true;
}

// Keeps every find of the scan and shows the phases unless quiet; names every
// protected place the scan passed by.
class CleanScanReporter : public ScanReporter {
public:
    CleanScanReporter(const ParasiteList& parasites, bool quiet)
        : parasites_(parasites), quiet_(quiet)
    {
    }
    void scanStarted() override {}
    void phaseStarted(ScanPhase phase) override
    {
        if (!quiet_)
            std::fprintf(stderr, "scanning: %s\n", phaseName(phase));
    }
    void found(const Find& find) override { finds.push_back(find); }
    void currentText(const std::string&) override {}
    void itemsScanned(unsigned long count) override { items = count; }
    void unreadable(const std::string& path) override
    {
        std::fprintf(stderr, "unreadable: %s\n", path.c_str());
    }
    void protectedSkipped(const Find& find) override
    {
        std::fputs(skippedItemLine(parasites_, find).c_str(), stderr);
    }
    void scanEnded() override {}

    std::vector<Find> finds;
    unsigned long items = 0;

private:
    const ParasiteList& parasites_;
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
    }
    return "";
}

// The item an outcome is about, as the result list would show it.
std::string outcomeLocation(const RemovalOutcome& outcome)
{
    switch (outcome.kind) {
    case FindKind::File:
    case FindKind::Folder:
        return outcome.path + "\\" + outcome.name;
    case FindKind::Cookie:
        return outcome.name;
    case FindKind::RegistryKey:
    case FindKind::RegistryValue:
        break;
    }
    return outcome.path;
}

// Prints one line per outcome on standard output: result, type, parasite and
// location, separated by tabs; program steps on standard error unless quiet;
// protected places refused or left inside a folder on standard error always.
class CleanRemovalReport : public RemovalReport {
public:
    CleanRemovalReport(const ParasiteList& parasites, bool quiet)
        : parasites_(parasites), quiet_(quiet)
    {
    }
    void outcome(const RemovalOutcome& outcome) override
    {
        const Parasite* parasite = parasites_.at(outcome.parasiteIndex);
        const std::string location = outcomeLocation(outcome);
        std::printf("%s\t%s\t%s\t%s\n", resultWord(outcome.result), typeWord(outcome.kind),
                    parasite ? parasite->name.c_str() : "", location.c_str());
        std::fflush(stdout);
        if (outcome.result == RemovalResult::Refused && outcome.protectedPlace)
            std::fputs(protectedItemLine(location, outcome.kind,
                                         parasite ? parasite->name : std::string())
                           .c_str(),
                       stderr);
    }
    void placeKept(const std::string& path) override
    {
        // Both passes over a parasite's programs meet the same file.
        if (kept_.insert(path).second)
            std::fprintf(stderr, "protected: %s is never touched\n", path.c_str());
    }
    void programStep(const ProgramStep& step) override
    {
        if (quiet_)
            return;
        const char* what = step.kind == ProgramStep::Terminated     ? "ended program"
                           : step.kind == ProgramStep::Unregistered ? "unregistered"
                                                                    : "could not unregister";
        std::fprintf(stderr, "%s: %s\n", what, step.path.c_str());
    }

private:
    const ParasiteList& parasites_;
    bool quiet_;
    std::set<std::string> kept_;
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

}  // namespace

int runCleanCommand(const Args& args)
{
    CleanOptions options;
    if (!parseOptions(args, options))
        return kExitUsage;
    noteWhenNotElevated();
    const std::string definitions =
        options.definitions.empty() ? referenceFilePath() : options.definitions;
    if (definitions.empty()) {
        printError("the settings name no reference file; use --definitions FILE");
        return kExitUsage;
    }
    ParasiteList parasites;
    std::string parseError;
    if (!loadReferenceFile(definitions, parasites, &parseError)) {
        printError("cannot load the definitions " + definitions +
                   (parseError.empty() ? std::string() : ": " + parseError));
        return kExitUsage;
    }

    // The places nothing here touches; the definitions in use are Kestrune's
    // own, whatever the settings name.
    OwnPlaces own = ownPlacesFromSettings();
    own.referenceFile = definitions;
    const ProtectedPlaces places = ProtectedPlaces::forThisMachine(own);

    CleanScanReporter scan(parasites, options.quiet);
    const ScanOutcome outcome =
        beginScan([&] { return runFullScan(parasites, scan, nullptr, &places); });
    if (!options.quiet)
        std::fprintf(stderr, "scanned %lu items, %lu found\n", scan.items,
                     static_cast<unsigned long>(scan.finds.size()));
    printUnreadableCount(outcome);
    // clean acts on a whole scan only: after a failure nothing is removed.
    if (!outcome.failure.empty()) {
        printError("the scan failed (" + outcome.failure + "); nothing was removed");
        return kExitFindings;
    }
    if (markSelectedItems(parasites, scan.finds) == 0) {
        std::printf("nothing to remove\n");
        return kExitOk;
    }

    if (options.backup) {
        CleanBackupReport backupReport(options.quiet);
        BackupOutcome backup = makeBackup(parasites, &backupReport, places);
        if (backup.archiveOpened)
            std::printf("backup: %s\n", backup.archivePath.c_str());
        if (!backup.complete) {
            printError(backup.archiveOpened ? "the backup is incomplete"
                                            : "the backup archive cannot be created");
            if (!options.force) {
                printError("nothing was removed (--force removes all the same)");
                return kExitFindings;
            }
        }
    }

    RemovalLog log(logFolder(), datedLogName());
    CleanRemovalReport report(parasites, options.quiet);
    RemovalRun run(log, &report, places);
    const RemovalTotals totals = runRemovalActions(parasites, run);

    std::printf("%d deleted, %d to be deleted at the next restart, %d failed, %d refused\n",
                totals.deleted, totals.scheduled, totals.failed, totals.refused);
    std::printf("log: %s\n", log.path().c_str());
    if (totals.logFailures > 0)
        printError("the log could not be written whole");
    if (totals.somethingLeft())
        return kExitFindings;
    return totals.scheduled > 0 ? kExitRestartNeeded : kExitOk;
}

}  // namespace cli
}  // namespace kestrune
