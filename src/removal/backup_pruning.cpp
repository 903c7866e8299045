// Pruning of the backup archives: names judged, archives ranked by the date in
// their names, the old ones beyond the newest few deleted.
#include "removal/backup_pruning.h"


#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/archive_deletion.h"
#include "removal/backup_reader.h"
#include "removal/backup_run.h"
#include "removal/backup_session.h"
#include "removal/folder_utils.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <cstdio>

namespace kestrune {

namespace {

const unsigned long long kTicksPerDay = 24ull * 60 * 60 * 10000000;

// A whole number of one to five digits, as the settings hold the limits.
bool parseLimit(const std::string& text, unsigned& value)
{
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = static_cast<unsigned>(std::stoul(text));
    return true;
}

unsigned limitSetting(const char* name, unsigned byDefault)
{
    std::string text;
    if (!readSetting(name, text))
        return byDefault;
    unsigned value = 0;
    return parseLimit(text, value) ? value : 0;
}

bool validDate(const SYSTEMTIME& t)
{
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.wYear < 1601 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > kDays[t.wMonth - 1] || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59)
        return false;
    const bool leap = (t.wYear % 4 == 0 && t.wYear % 100 != 0) || t.wYear % 400 == 0;
    return !(t.wMonth == 2 && t.wDay == 29 && !leap);
}

unsigned long long ticksOf(const SYSTEMTIME& time)
{
    FILETIME file = {0, 0};
    SystemTimeToFileTime(&time, &file);
    return (static_cast<unsigned long long>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// True when a folder on `path` (from the first below its root) or the entry
// itself is a link.
bool linkOnPath(const std::string& path)
{
    std::string::size_type at = path.find('\\', path.compare(0, 2, "\\\\") == 0 ? 2 : 0);
    if (path.compare(0, 2, "\\\\") == 0 && at != std::string::npos)
        at = path.find('\\', at + 1);   // a share's root is \\server\share
    while (at != std::string::npos) {
        at = path.find('\\', at + 1);
        if (isLink(path.substr(0, at)))
            return true;
    }
    return false;
}

struct Candidate {
    std::string path;
    unsigned long long ticks;
    int number;
};

}  // namespace

PruneLimits pruneLimitsFromSettings()
{
    const PruneLimits defaults;
    PruneLimits limits;
    limits.keep = limitSetting(kSettingBackupsKept, defaults.keep);
    limits.days = limitSetting(kSettingBackupDays, defaults.days);
    return limits;
}

bool parseArchiveName(const std::string& name, SYSTEMTIME& local, int& number)
{
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    if (std::sscanf(name.c_str(), "%5u,%5u,%5u_%5u,%5u,%5u%n", &month, &day, &year, &hour, &minute,
                    &second, &used) != 6)
        return false;
    unsigned n = 1;
    const std::string rest = name.substr(static_cast<size_t>(used));
    if (!sameText(rest, ".zip") && std::sscanf(rest.c_str(), " (%5u)", &n) != 1)
        return false;
    // year, month, day of the week (unused), day, hour, minute, second, ms
    const SYSTEMTIME t = {static_cast<WORD>(year),   static_cast<WORD>(month),
                          0,                         static_cast<WORD>(day),
                          static_cast<WORD>(hour),   static_cast<WORD>(minute),
                          static_cast<WORD>(second), 0};
    if (year > 30827 || !validDate(t) || (n < 2 && !sameText(rest, ".zip")))
        return false;
    // Only the spelling Kestrune writes: no leading zeros, blanks or signs.
    if (!sameText(numberedName(archiveFileName(t), static_cast<int>(n)), name))
        return false;
    local = t;
    number = static_cast<int>(n);
    return true;
}

bool isKestruneArchiveIn(const std::string& path, const std::vector<std::string>& folders)
{
    SYSTEMTIME time;
    int number = 0;
    if (!parseArchiveName(baseNameOf(path), time, number))
        return false;
    const std::string parent = parentFolderOf(path);
    const bool inFolder = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
        return !f.empty() && sameText(withoutTrailingBackslashes(f), parent);
    });
    if (!inFolder)
        return false;
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    return !linkOnPath(path) && holdsBackupManifest(path);
}

PruneResult pruneBackupArchives(const std::vector<std::string>& folders, const PruneLimits& limits,
                                const SYSTEMTIME& now, const std::string& spare)
{
    PruneResult result;
    if (limits.keep == 0 || limits.days == 0)
        return result;
    std::vector<Candidate> archives;
    std::vector<std::string> seen;
    for (const std::string& given : folders) {
        const std::string folder = withoutTrailingBackslashes(given);
        if (folder.empty() || std::any_of(seen.begin(), seen.end(), [&](const std::string& s) {
                return sameText(s, folder);
            }))
            continue;
        seen.push_back(folder);
        FolderListing listing(listingPattern(folder));
        while (listing.next()) {
            const std::string path = joinPath(folder, listing.entry().cFileName);
            SYSTEMTIME time;
            int number = 0;
            if (parseArchiveName(listing.entry().cFileName, time, number) &&
                isKestruneArchiveIn(path, folders))
                archives.push_back(Candidate{path, ticksOf(time), number});
        }
    }
    std::sort(archives.begin(), archives.end(), [](const Candidate& a, const Candidate& b) {
        if (a.ticks != b.ticks)
            return a.ticks > b.ticks;
        if (a.number != b.number)
            return a.number > b.number;
        return a.path < b.path;
    });
    const unsigned long long nowTicks = ticksOf(now);
    const unsigned long long maxAge = limits.days * kTicksPerDay;
    for (size_t i = limits.keep; i < archives.size(); ++i) {
        const Candidate& archive = archives[i];
        if (archive.ticks >= nowTicks || nowTicks - archive.ticks <= maxAge ||
            (!spare.empty() && sameText(archive.path, spare)))
            continue;
        // Judged again at the last moment, and deleted through the handle
        // that was judged: nothing else is ever deleted here.
        std::string reason;
        if (isKestruneArchiveIn(archive.path, folders) &&
            deleteBackupArchive(archive.path, folders, reason) == ArchiveDeletion::Deleted)
            result.deleted.push_back(archive.path);
        else
            result.failed.push_back(archive.path);
    }
    return result;
}

PruneResult pruneAfterBackup(const std::string& archivePath)
{
    const PruneLimits limits = pruneLimitsFromSettings();
    SYSTEMTIME now;
    GetLocalTime(&now);
    return pruneBackupArchives(archiveFolderPaths(), limits, now, archivePath);
}

}  // namespace kestrune
