// kestrune-cli scan: the full scan or a folder scan from the console, with the
// engine and order of the main window. Finds go to standard output, one line
// per find with the four texts of its result row; progress goes to standard
// error at most ten times a second, and so do the places the scan could not
// read, with their count, and one line for each item passed over as a
// protected place. A scan that fails says so and ends with 1. Asks nothing
// and closes no window.
#include "cli.h"
#include "elevation_notice.h"

#include "definitions/reference_file.h"
#include "platform/system_paths.h"
#include "safety/own_places.h"
#include "scan/scan_thread.h"
#include "scan/stop_request.h"
#include "settings/settings_store.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

const char kScanUsage[] = "usage: kestrune-cli scan [--definitions FILE] [--folder DIR] [--quiet]\n";

// Progress lines are at least this far apart.
const DWORD kProgressInterval = 100;

struct ScanOptions {
    std::string definitions;
    std::string folder;
    bool haveDefinitions = false;
    bool haveFolder = false;
    bool quiet = false;
};

class ConsoleReporter : public ScanReporter {
public:
    ConsoleReporter(const ParasiteList& parasites, bool quiet)
        : parasites_(parasites), quiet_(quiet)
    {
    }

    int findCount() const { return findCount_; }

    void scanStarted() override {}

    void phaseStarted(ScanPhase phase) override { phase_ = phaseName(phase); }

    void found(const Find& find) override
    {
        const Parasite* parasite = parasites_.at(find.parasiteIndex);
        if (parasite == nullptr)
            return;
        std::string line = parasite->name + "\t" + find.location + "\t" + typeWord(find.kind) +
                           "\t" + dangerName(parasite->dangerLevel) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        ++findCount_;
    }

    // Written whatever --quiet says: the user learns why an item named in
    // the definitions is not among the finds.
    void protectedSkipped(const Find& find) override
    {
        const std::string line = skippedItemLine(parasites_, find);
        std::fwrite(line.data(), 1, line.size(), stderr);
    }

    void currentText(const std::string& text) override
    {
        text_ = text;
        maybePrint();
    }

    void itemsScanned(unsigned long count) override
    {
        count_ = count;
        maybePrint();
    }

    // Named also with --quiet: the scan did not see what lies there.
    void unreadable(const std::string& path) override
    {
        std::fprintf(stderr, "unreadable: %s\n", path.c_str());
    }

    // The last line: the end text and the final count, printed once the
    // interval since the previous line has passed.
    void scanEnded() override
    {
        if (quiet_)
            return;
        if (printed_) {
            DWORD since = GetTickCount() - lastPrint_;
            if (since < kProgressInterval)
                Sleep(kProgressInterval - since);
        }
        std::fprintf(stderr, "%s: %lu items scanned, %d found\n", text_.c_str(), count_,
                     findCount_);
    }

private:
    void maybePrint()
    {
        if (quiet_)
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
        std::fprintf(stderr, "[%s] %lu items scanned: %s\n", phase_.c_str(), count_,
                     text_.c_str());
    }

    const ParasiteList& parasites_;
    const bool quiet_;
    std::string phase_;
    std::string text_;
    unsigned long count_ = 0;
    int findCount_ = 0;
    bool printed_ = false;
    DWORD lastPrint_ = 0;
};

int usageError(const std::string& message)
{
    printError(message);
    std::fputs(kScanUsage, stderr);
    return kExitUsage;
}

// False, with the message printed, for an unknown, repeated or incomplete
// option.
bool parseOptions(const Args& args, ScanOptions& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            if (options.quiet) {
                error = "--quiet given twice";
                return false;
            }
            options.quiet = true;
        } else if (arg == "--definitions" || arg == "--folder") {
            const bool isFolder = arg == "--folder";
            bool& have = isFolder ? options.haveFolder : options.haveDefinitions;
            if (have) {
                error = arg + " given twice";
                return false;
            }
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = arg + " needs a value";
                return false;
            }
            have = true;
            (isFolder ? options.folder : options.definitions) = args[++i];
        } else {
            error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

bool isFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder as a full path, so that the walk's paths are plain "X:\..."
// paths that the protected places and the items' PATHs can be compared with;
// the text as given when the system refuses it.
std::string fullFolderPath(const std::string& folder)
{
    const std::string full = fullPathOf(folder);
    return full.empty() ? folder : full;
}

}  // namespace

int runScanCommand(const Args& args)
{
    ScanOptions options;
    std::string error;
    if (!parseOptions(args, options, error))
        return usageError(error);
    if (options.haveFolder && !isFolder(options.folder))
        return usageError("not a folder: " + options.folder);
    noteWhenNotElevated();

    std::string definitions = options.definitions;
    if (!options.haveDefinitions) {
        definitions = referenceFilePath();
        if (definitions.empty()) {
            printError("the settings name no reference file; use --definitions FILE");
            return kExitUsage;
        }
    }
    ParasiteList parasites;
    std::string parseError;
    if (!loadReferenceFile(definitions, parasites, &parseError)) {
        printError("cannot load the definitions " + definitions +
                   (parseError.empty() ? std::string() : ": " + parseError));
        return kExitUsage;
    }

    OwnPlaces own = ownPlacesFromSettings();
    own.referenceFile = definitions;   // the file in use, which --definitions may name
    const ProtectedPlaces protectedPlaces = ProtectedPlaces::forThisMachine(own);

    ConsoleReporter reporter(parasites, options.quiet);
    const ScanOutcome outcome = beginScan([&] {
        return options.haveFolder
                   ? runFolderScan(parasites, reporter, fullFolderPath(options.folder), &protectedPlaces)
                   : runFullScan(parasites, reporter, nullptr, &protectedPlaces);
    });
    printUnreadableCount(outcome);
    if (!outcome.failure.empty()) {
        printError("the scan failed (" + outcome.failure + "); its results are incomplete");
        return kExitFindings;
    }
    return reporter.findCount() > 0 ? kExitFindings : kExitOk;
}

}  // namespace cli
}  // namespace kestrune
