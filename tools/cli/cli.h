// kestrune-cli: shared declarations of the console tool's commands.
#pragma once

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
    kExitRestartNeeded = 3,   // clean: a file is deleted only at the next restart
};

using Args = std::vector<std::string>;

int runDefsCommand(const Args& args);
int runScanCommand(const Args& args);
int runCleanCommand(const Args& args);
int runRestoreCommand(const Args& args);
int runPublishCommand(const Args& args);

// Writes "kestrune-cli: <message>" on standard error.
void printError(const std::string& message);

// Writes "<N> folders could not be read" on standard error when the scan met
// unreadable places.
void printUnreadableCount(const ScanOutcome& outcome);

// The line, ending in a line break, that names an item a scan skipped
// (ScanReporter::protectedSkipped): "protected: LOCATION (KIND of PARASITE)
// is never touched", or "refused: ... is not a plain path or name and is
// never looked for" when the item's own texts were refused. KIND is folder,
// file, key, value or cookie. Empty for a find outside `parasites`.
std::string skippedItemLine(const ParasiteList& parasites, const Find& find);
// "protected: LOCATION (KIND of PARASITE) is never touched", with its line
// break: an item the removal refused because it names a protected place.
std::string protectedItemLine(const std::string& location, FindKind kind,
                              const std::string& parasiteName);

}  // namespace cli
}  // namespace kestrune
