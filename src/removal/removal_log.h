// The removal log: its fixed and dated names, the bracketed records and the
// writer that appends them. The records are the user's account of a run;
// nothing ever reads them back. Which name a run gets is its owner's choice.
#pragma once

#include "removal/removal_report.h"

#include <windows.h>

#include <string>

namespace kestrune {

// The fixed log file of the runs whose dated log was declined.
extern const char kFixedLogName[];

// "\D-M-YYYY (h-m-s).txt" from a UTC time: day first, no leading zeros, with
// the leading backslash that joins it to the log folder.
std::string datedLogName(const SYSTEMTIME& utc);
// The dated name for the current UTC time (GetSystemTime).
std::string datedLogName();

// "[TYPE:<word>]" and CR LF, with the kind's Record word: the first line of
// every bracketed record (the removal and restore logs, Config.ini and
// Manifest.ini).
std::string typeLine(ItemKind kind);

// The record of one outcome, byte for byte: TYPE, ACTION (DELETED, or FAILED
// TO DELETE for an item still there: scheduled, failed, or refused as a
// protected place), then VALUE or NAME and PATH, each line ending in CR LF and
// no value escaped. Empty for a refused item that names no place at all,
// which is not logged.
std::string logRecord(const RemovalOutcome& outcome);

// One run's log file in the log folder.
class RemovalLog {
public:
    // `fileName` is a dated name (beginning with a backslash) or the fixed
    // name. An empty folder puts the file in the root of the current drive.
    RemovalLog(std::string folder, std::string fileName);

    // The folder joined with the name: a dated name is appended as it is,
    // any other with a backslash before it.
    std::string path() const;

    // Creates the last level of the folder when it is missing, then appends
    // `record` byte for byte to the file (created when missing), opening and
    // closing it for this record alone. False when the record could not be
    // written whole; the run goes on either way.
    bool write(const std::string& record) const;

private:
    std::string folder_;
    std::string fileName_;
};

}  // namespace kestrune
