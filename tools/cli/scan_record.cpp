// The console scan's record and its local time stamps.
#include "scan_record.h"

#include "cli.h"

#include "definitions/parasite.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace kestrune {
namespace cli {

namespace {

long long fileTimeValue(const FILETIME& time)
{
    return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                  time.dwLowDateTime);
}

}  // namespace

std::string isoLocalTime()
{
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME time;
    FileTimeToSystemTime(&local, &time);
    // The offset in minutes, from the same instant seen both ways.
    const long long minutes = (fileTimeValue(local) - fileTimeValue(utc)) / (10000000LL * 60);
    const long long size = std::llabs(minutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", time.wYear,
                  time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                  minutes < 0 ? '-' : '+', static_cast<int>(size / 60),
                  static_cast<int>(size % 60));
    return text;
}

void recordStart(ScanRecord& record)
{
    record.started = isoLocalTime();
    GetLocalTime(&record.startedLocal);
    record.startTick = GetTickCount();
}

void recordEnd(ScanRecord& record)
{
    record.ended = isoLocalTime();
    record.endTick = GetTickCount();
}

void RecordingReporter::found(const Find& find)
{
    if (parasites_.at(find.parasiteIndex) != nullptr)
        record_.finds.push_back(find);
}

void RecordingReporter::itemsScanned(unsigned long count)
{
    record_.itemsScanned = count;
}

void RecordingReporter::protectedSkipped(const Find& find)
{
    const std::string line = skippedItemLine(parasites_, find);
    if (line.empty())
        return;
    record_.skipped.push_back(find);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void RecordingReporter::unreadable(const std::string& path)
{
    record_.unreadable.push_back(path);
    std::fprintf(stderr, "unreadable: %s\n", path.c_str());
}

}  // namespace cli
}  // namespace kestrune
