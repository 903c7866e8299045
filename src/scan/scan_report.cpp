// The scan report's text, name and file.
#include "scan/scan_report.h"

#include "platform/file_bytes.h"

#include "product.h"

#include <cstdio>

namespace kestrune {

namespace {

const char kLineEnd[] = "\r\n";

std::string line(const std::string& text) { return text + kLineEnd; }

std::string dateText(const SYSTEMTIME& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%u-%u-%u %02u:%02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

std::string durationText(unsigned long ms)
{
    const unsigned long seconds = ms / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string findsText(const std::vector<ScanReportRow>& rows)
{
    std::string text = "Finds: " + std::to_string(rows.size()) + " (";
    bool first = true;
    for (ItemKind kind : kItemKinds) {
        int count = 0;
        for (const ScanReportRow& row : rows)
            count += row.find.kind == kind;
        text += (first ? "" : ", ") + std::string(typeWord(kind)) + " " + std::to_string(count);
        first = false;
    }
    return text + ")";
}

}  // namespace

std::string scanReportText(const ScanReport& report)
{
    std::string text;
    text += line(KESTRUNE_TITLE " scan report");
    text += line("Date: " + dateText(report.started));
    text += line("Reference file: " + report.referenceFile + " (" +
                 std::to_string(report.parasiteCount) + " parasites)");
    text += line(report.folder.empty() ? std::string("Scanned: whole PC")
                                       : "Scanned: folder " + report.folder);
    text += line("Items Scanned: " + std::to_string(report.itemsScanned));
    text += line("Duration: " + durationText(report.durationMs));
    text += line(findsText(report.rows));
    text += line("Ignored: " + std::to_string(report.ignored));
    text += line("Could not be read: " + std::to_string(report.unreadable));
    text += line(std::string("Result: ") +
                 (report.failed ? "failed" : report.stopped ? "stopped" : "completed"));
    text += kLineEnd;
    text += line("Parasite\tLocation\tType\tDanger\tChecked");
    for (const ScanReportRow& row : report.rows)
        text += line(row.parasite + "\t" + row.find.location + "\t" + typeWord(row.find.kind) +
                     "\t" + dangerName(row.dangerLevel) + "\t" + (row.checked ? "yes" : "no"));
    return text;
}

std::string scanReportName(const SYSTEMTIME& utc)
{
    char name[64];
    std::snprintf(name, sizeof name, "Scan %u-%u-%u (%u-%u-%u).txt", utc.wDay, utc.wMonth,
                  utc.wYear, utc.wHour, utc.wMinute, utc.wSecond);
    return name;
}

std::string scanReportName()
{
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    return scanReportName(now);
}

bool writeScanReport(const std::string& path, const ScanReport& report)
{
    return writeWholeFile(path, scanReportText(report));
}

}  // namespace kestrune
