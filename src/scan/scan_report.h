// The scan report: a plain-text account of one scan that the user can keep
// or send to someone who helps. What a report holds (ScanReport), its text,
// its default file name and the writing of the file. The window fills a
// ScanReport from its result list, the console tool from its scan; nothing
// here shows a message.
//
// The text, every line ending in CR LF:
//
//   Kestrune v2.01 scan report
//   Date: 7-12-2026 14:05:09
//   Reference file: C:\Kestrune\kestrune_020404_v2.ks (20 parasites)
//   Scanned: whole PC                 (or: "Scanned: folder C:\Tools")
//   Items Scanned: 1234
//   Duration: 0:01:05
//   Finds: 5 (RegKey 1, RegValue 1, File 1, Folder 1, Cookie 1)
//   Ignored: 2
//   Could not be read: 0
//   Result: completed                 (or "stopped", "failed")
//   <blank line>
//   Parasite<TAB>Location<TAB>Type<TAB>Danger<TAB>Checked
//   one line per find, in row order, Checked "yes" or "no"
#pragma once

#include "platform/find.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

struct ScanReportRow {
    std::string parasite;
    Find find;            // kind and location
    int dangerLevel = -1;
    bool checked = true;
};

struct ScanReport {
    SYSTEMTIME started = {};         // local time the scan started
    unsigned long durationMs = 0;
    std::string referenceFile;       // full path
    int parasiteCount = 0;
    std::string folder;              // the folder scanned; empty: the whole PC
    unsigned long itemsScanned = 0;
    unsigned long ignored = 0;
    unsigned long unreadable = 0;
    bool stopped = false;
    bool failed = false;
    std::vector<ScanReportRow> rows;
};

// The report's text, as described above.
std::string scanReportText(const ScanReport& report);

// "Scan D-M-YYYY (h-m-s).txt" from a UTC time, day first, no leading zeros
// (the removal log's date style), without a folder.
std::string scanReportName(const SYSTEMTIME& utc);
// The same for the current UTC time.
std::string scanReportName();

// Writes the text to `path`, replacing a file that is there. False when it
// could not be written whole.
bool writeScanReport(const std::string& path, const ScanReport& report);

}  // namespace kestrune
