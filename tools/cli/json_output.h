// The console tool's JSON documents: the definitions of "defs dump" and the
// results of "scan --json" and "clean --json". Texts go from the ANSI code
// page to UTF-8.
#pragma once

#include "scan_record.h"

#include <string>

namespace kestrune {

class ParasiteList;

namespace cli {

// The whole list as {"parasites":[...]}, without white space or a final line
// break.
std::string parasitesToJson(const ParasiteList& list);

// The document of a scan that ended with `exitCode`, indented, with a final
// line break.
std::string scanJson(const ParasiteList& parasites, const ScanRecord& scan, int exitCode);

// The same with clean's backup, outcomes and log.
std::string cleanJson(const ParasiteList& parasites, const ScanRecord& scan,
                      const CleanRecord& clean, int exitCode);

}  // namespace cli
}  // namespace kestrune
