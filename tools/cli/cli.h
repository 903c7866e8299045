// kestrune-cli: shared declarations of the console tool's commands, and the
// options each takes (filled by parseCommandLine, command_line.h).
#pragma once

#include "scan_record.h"

#include "scan/scan_thread.h"

#include <string>
#include <vector>

namespace kestrune {

class ParasiteList;
struct Find;

namespace cli {

// Exit codes shared by every command.
enum ExitCode {
    kExitOk = 0,
    kExitFindings = 1,   // something to report (warnings, finds, failures)
    kExitUsage = 2,      // bad arguments, unreadable input
    kExitFailed = 2,     // scan, clean: the scan failed, or the definitions hold no parasite
    kExitRestartNeeded = 3,   // clean: a file is deleted only at the next restart
};

// defs pack/unpack IN OUT, check [--plain] FILE, dump FILE, verify FILE
// SIGNATURE [--key PUBLIC.pem].
struct DefsOptions {
    std::string in;
    std::string out;
    std::string file;
    std::string signature;
    std::string key;
    bool plain = false;
};

struct ScanOptions {
    std::string definitions;   // empty: the reference file of the settings
    std::string folder;        // empty: the whole PC
    std::string report;        // empty: no report file
    bool quiet = false;
    bool json = false;
    bool noIgnore = false;     // report the finds of the ignore list too
};

struct CleanOptions {
    std::string definitions;   // empty: the reference file of the settings
    bool backup = false;
    bool force = false;        // only with backup
    bool quiet = false;
    bool json = false;
    bool noIgnore = false;     // remove the finds of the ignore list too
};

struct RestoreCommandOptions {
    std::string archive;   // empty only with list and prune
    bool list = false;
    bool remove = false;
    bool prune = false;
    int keep = -1;         // prune: -1 takes the settings' limit
    int days = -1;
    bool force = false;
    bool quiet = false;
};

struct PublishOptions {
    std::string root;
    std::string key;
    std::string file;
    int validDays = 90;   // how long the release statement counts
};

// pack and unpack are the same exclusive-or of IN into OUT.
// ignore --list | --add KIND LOCATION | --remove KIND LOCATION.
struct IgnoreOptions {
    bool list = false;
    bool add = false;
    bool remove = false;
    std::string kind;       // a Type word in any case, with add and remove
    std::string location;
};

int runDefsScramble(const DefsOptions& options);
int runDefsCheck(const DefsOptions& options);
int runDefsDump(const DefsOptions& options);
int runDefsVerify(const DefsOptions& options);
int runScanCommand(const ScanOptions& options);
int runCleanCommand(const CleanOptions& options);
int runRestoreCommand(const RestoreCommandOptions& options);
int runPublishCommand(const PublishOptions& options);
int runIgnoreCommand(const IgnoreOptions& options);
// --version: "kestrune-cli 2.01", then the settings' reference file and its
// parasite count when it loads.
int runVersionCommand();

// Writes "kestrune-cli: <message>" on standard error.
void printError(const std::string& message);

// Writes "<N> folders could not be read" and "<M> finds ignored" ("1 find
// ignored") on standard
// error when the scan met unreadable places or finds of the ignore list.
void printScanCounts(const ScanOutcome& outcome);

// Loads the definitions a scan or clean works with: `file`; when it is empty
// the reference file the settings name; when they name none, the newest
// reference file beside the tool (said on standard error: a console run
// under an account where the window never ran, SYSTEM say, writes no
// settings). Fills the record's definitionsFile, definitionsFrom and
// parasiteCount. On failure prints why, naming where it looked, and returns
// false. Definitions without a single parasite are a failure too ("the
// reference file holds no parasites"): a scan with them could find nothing.
bool loadScanDefinitions(const std::string& file, ParasiteList& parasites, ScanRecord& record);

// The folder of the removal and restore logs: the settings' log folder, or,
// when they name none (an account where the window never ran), "logs" in
// the per-user data folder (else in the data folder), made when missing;
// never the root of the current drive that an empty folder would give.
std::string consoleLogFolder();

// The newest "*.ks" file of `folder` (a path ending in a backslash) by its
// last-written time, the greater name between two of the same time; links
// and folders are passed over. Empty when there is none.
std::string newestReferenceFileIn(const std::string& folder);

// True when the scan passed the item over for its own texts (a refused PATH
// or NAME, a cookie name without a letter or digit) rather than for the
// protected place it names.
bool skippedForItsText(const ParasiteList& parasites, const Find& find);

// The line, ending in a line break, that names an item a scan skipped
// (ScanReporter::protectedSkipped): "protected: LOCATION (KIND of PARASITE)
// is never touched", or "refused: ... is not a plain path or name and is
// never looked for" when the item's own texts were refused. KIND is folder,
// file, key, value or cookie. Empty for a find outside `parasites`.
std::string skippedItemLine(const ParasiteList& parasites, const Find& find);
// "protected: LOCATION (KIND of PARASITE) is never touched", with its line
// break: an item the removal refused because it names a protected place.
std::string protectedItemLine(const std::string& location, ItemKind kind,
                              const std::string& parasiteName);

}  // namespace cli
}  // namespace kestrune
