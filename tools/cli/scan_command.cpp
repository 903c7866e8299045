// kestrune-cli scan: the full scan or a folder scan from the console, with the
// engine and order of the main window. Finds go to standard output, one line
// per find with the four texts of its result row, or, with --json, all of the
// scan as one JSON document; progress goes to standard error at most ten
// times a second, and so do the places the scan could not read, with their
// count, and one line for each item passed over as a protected place. A scan
// that fails says so and ends with 2, and so does a reference file without a
// parasite. Finds of the ignore list are counted,
// not reported, unless --no-ignore; --report writes the scan report. Asks
// nothing and closes no window.
#include "cli.h"
#include "elevation_notice.h"
#include "json_output.h"
#include "scan_record.h"

#include "definitions/parasite.h"
#include "platform/system_paths.h"
#include "platform/wide_paths.h"
#include "safety/own_places.h"
#include "safety/protected_places.h"
#include "scan/scan_report.h"
#include "scan/scan_thread.h"
#include "scan/stop_request.h"
#include "settings/ignore_list.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

// Progress lines are at least this far apart.
const DWORD kProgressInterval = 100;

class ConsoleReporter : public RecordingReporter {
public:
    ConsoleReporter(const ParasiteList& parasites, ScanRecord& record, const ScanOptions& options)
        : RecordingReporter(parasites, record), options_(options)
    {
    }

    void phaseStarted(ScanPhase phase) override { phase_ = phaseName(phase); }

    void found(const Find& find) override
    {
        const Parasite* parasite = parasites_.at(find.parasiteIndex);
        if (parasite == nullptr)
            return;
        RecordingReporter::found(find);
        if (options_.json)
            return;
        std::string line = parasite->name + "\t" + find.location + "\t" + typeWord(find.kind) +
                           "\t" + dangerName(parasite->dangerLevel) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    void currentText(const std::string& text) override
    {
        text_ = text;
        maybePrint();
    }

    void itemsScanned(unsigned long count) override
    {
        RecordingReporter::itemsScanned(count);
        maybePrint();
    }

    // The last line: the end text and the final count, printed once the
    // interval since the previous line has passed.
    void scanEnded() override
    {
        if (options_.quiet)
            return;
        if (printed_) {
            DWORD since = GetTickCount() - lastPrint_;
            if (since < kProgressInterval)
                Sleep(kProgressInterval - since);
        }
        std::fprintf(stderr, "%s: %lu items scanned, %lu found\n", text_.c_str(),
                     record_.itemsScanned, static_cast<unsigned long>(record_.finds.size()));
    }

private:
    void maybePrint()
    {
        if (options_.quiet)
            return;
        const DWORD now = GetTickCount();
        if (!printed_) {
            // The first line waits one interval, so a quick scan prints only
            // its end.
            printed_ = true;
            lastPrint_ = now;
            return;
        }
        if (now - lastPrint_ < kProgressInterval)
            return;
        lastPrint_ = now;
        std::fprintf(stderr, "[%s] %lu items scanned: %s\n", phase_.c_str(), record_.itemsScanned,
                     text_.c_str());
    }

    const ScanOptions& options_;
    std::string phase_;
    std::string text_;
    bool printed_ = false;
    DWORD lastPrint_ = 0;
};

// The path made full (a folder to scan, so that the walk's paths are plain
// "X:\..." paths that the protected places and the items' PATHs can be
// compared with; the report's reference file); the text as given when the
// system refuses it.
std::string fullPath(const std::string& path)
{
    const std::string full = fullPathOf(path);
    return full.empty() ? path : full;
}

// Writes the scan report of `record` to `path`; false when it could not.
bool writeReport(const std::string& path, const ParasiteList& parasites, const ScanRecord& record,
                 const ScanOutcome& outcome)
{
    ScanReport report;
    report.started = record.startedLocal;
    report.durationMs = record.endTick - record.startTick;
    report.referenceFile = fullPath(record.definitionsFile);
    report.parasiteCount = record.parasiteCount;
    report.folder = record.folder;
    report.itemsScanned = record.itemsScanned;
    report.ignored = outcome.ignored;
    report.unreadable = outcome.unreadable;
    report.failed = !outcome.failure.empty();
    for (const Find& find : record.finds) {
        ScanReportRow row;
        const Parasite* parasite = parasites.at(find.parasiteIndex);
        row.parasite = parasite->name;
        row.dangerLevel = parasite->dangerLevel;
        row.find = find;
        report.rows.push_back(row);
    }
    return writeScanReport(path, report);
}

}  // namespace

int runScanCommand(const ScanOptions& options)
{
    if (!options.folder.empty() && !isFolder(options.folder)) {
        printError("not a folder: " + options.folder);
        return kExitUsage;
    }
    noteWhenNotElevated();
    ScanRecord record;
    ParasiteList parasites;
    if (!loadScanDefinitions(options.definitions, parasites, record))
        return kExitUsage;
    if (!options.folder.empty())
        record.folder = fullPath(options.folder);

    OwnPlaces own = ownPlacesFromSettings();
    own.referenceFile = record.definitionsFile;   // the file in use, which --definitions may name
    const ProtectedPlaces protectedPlaces = ProtectedPlaces::forThisMachine(own);

    // What the user keeps, read once for the scan.
    const IgnoreSet ignored = options.noIgnore ? IgnoreSet() : IgnoreSet::load();

    ConsoleReporter reporter(parasites, record, options);
    recordStart(record);
    const ScanOutcome outcome = beginScan([&] {
        return record.folder.empty()
                   ? runFullScan(parasites, reporter, stopRequested, nullptr, &protectedPlaces,
                                 &ignored)
                   : runFolderScan(parasites, reporter, stopRequested, record.folder,
                                   &protectedPlaces, &ignored);
    });
    recordEnd(record);
    record.failure = outcome.failure;
    record.ignored = outcome.ignored;
    printScanCounts(outcome);
    int exitCode = record.finds.empty() ? kExitOk : kExitFindings;
    if (!outcome.failure.empty()) {
        printError("the scan failed (" + outcome.failure + "); its results are incomplete");
        exitCode = kExitFailed;
    }
    if (!options.report.empty() && !writeReport(options.report, parasites, record, outcome)) {
        printError("cannot write the report " + options.report);
        exitCode = kExitUsage;
    }
    if (options.json) {
        const std::string json = scanJson(parasites, record, exitCode);
        std::fwrite(json.data(), 1, json.size(), stdout);
    }
    return exitCode;
}

}  // namespace cli
}  // namespace kestrune
