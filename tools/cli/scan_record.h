// What a console scan and a clean saw, kept for their JSON documents, and the
// reporter base that keeps a scan's part: scan and clean print their own way
// on top of it.
#pragma once

#include "platform/find.h"
#include "scan/scan_reporter.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

class ParasiteList;

namespace cli {

struct ScanRecord {
    std::string definitionsFile;   // as given, or as the settings name it
    std::string definitionsFrom;   // "option", "settings" or "program folder"
    int parasiteCount = 0;
    std::string folder;            // the folder scan's folder; empty for the whole PC
    std::string started;           // isoLocalTime()
    std::string ended;
    SYSTEMTIME startedLocal = {};  // the same start, for the scan report
    DWORD startTick = 0;
    DWORD endTick = 0;
    unsigned long itemsScanned = 0;
    std::vector<Find> finds;       // in find order
    std::vector<Find> skipped;     // items passed over as protected places
    std::vector<std::string> unreadable;
    unsigned long ignored = 0;
    std::string failure;           // ScanOutcome::failure
};

// One removal outcome of clean, as its output line shows it.
struct CleanItem {
    std::string result;   // "deleted", "scheduled", "failed", "refused" or "gone"
    ItemKind kind = ItemKind::File;
    std::string parasite;
    std::string location;
    std::string ignoredInside;   // refused: removing it would take this ignored find
};

struct CleanRecord {
    bool backupAsked = false;
    bool backupOpened = false;
    bool backupComplete = false;
    std::string archive;            // when an archive was written whole
    std::vector<std::string> pruned;   // old archives deleted after a complete backup
    std::vector<CleanItem> items;   // in removal order; none when nothing was removed
    std::vector<std::string> kept;  // protected places left inside removed folders
    std::string log;                // the removal log, once a removal ran
};

// The current local time as ISO 8601 with the offset from UTC, such as
// "2026-03-01T14:05:09+01:00".
std::string isoLocalTime();

// Sets the record's start (started, startedLocal, startTick) or its end to
// now.
void recordStart(ScanRecord& record);
void recordEnd(ScanRecord& record);

// Records every find, skipped item, unreadable place and the item count into
// `record`; names skipped items and unreadable places on standard error
// (whatever --quiet says: the user learns why an item is not among the finds
// and what the scan could not see).
class RecordingReporter : public ScanReporter {
public:
    RecordingReporter(const ParasiteList& parasites, ScanRecord& record)
        : parasites_(parasites), record_(record)
    {
    }

    void scanStarted() override {}
    void phaseStarted(ScanPhase) override {}
    void found(const Find& find) override;
    void currentText(const std::string&) override {}
    void itemsScanned(unsigned long count) override;
    void protectedSkipped(const Find& find) override;
    void unreadable(const std::string& path) override;
    void scanEnded() override {}

protected:
    const ParasiteList& parasites_;
    ScanRecord& record_;
};

}  // namespace cli
}  // namespace kestrune
