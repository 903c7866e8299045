// The removal log: file name, records and writer.
#include "removal/removal_log.h"

#include "platform/file_bytes.h"
#include "platform/wide_paths.h"

#include <cstdio>

namespace kestrune {

const char kFixedLogName[] = "log.txt";

std::string datedLogName(const SYSTEMTIME& utc)
{
    char name[96];
    std::snprintf(name, sizeof name, "\\%d-%d-%d (%d-%d-%d).txt", utc.wDay, utc.wMonth, utc.wYear,
                  utc.wHour, utc.wMinute, utc.wSecond);
    return name;
}

std::string datedLogName()
{
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return datedLogName(utc);
}

std::string typeLine(ItemKind kind)
{
    return std::string("[TYPE:") + kindWord(kind, KindWord::Record) + "]\r\n";
}

std::string logRecord(const RemovalOutcome& outcome)
{
    if (outcome.result == RemovalResult::Refused && !outcome.protectedPlace &&
        outcome.ignoredInside.empty())
        return std::string();
    std::string record = typeLine(outcome.kind);
    record += outcome.result == RemovalResult::Deleted ? "[ACTION:DELETED]\r\n"
                                                       : "[ACTION:FAILED TO DELETE]\r\n";
    switch (outcome.kind) {
    case ItemKind::RegistryKey:
    case ItemKind::RegistryValue:
        record += "[VALUE:" + outcome.path + "]\r\n";
        break;
    case ItemKind::Cookie:
        record += "[VALUE:" + outcome.name + "]\r\n";
        break;
    case ItemKind::File:
    case ItemKind::Folder:
        record += "[NAME:" + outcome.name + "]\r\n[PATH:" + outcome.path + "]\r\n";
        break;
    }
    return record;
}

RemovalLog::RemovalLog(std::string folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName))
{
}

std::string RemovalLog::path() const
{
    if (!fileName_.empty() && fileName_[0] == '\\')
        return folder_ + fileName_;
    return folder_ + "\\" + fileName_;
}

bool RemovalLog::write(const std::string& record) const
{
    if (!folder_.empty() && attributesOf(folder_) == INVALID_FILE_ATTRIBUTES)
        createFolderAt(folder_);
    return appendToFile(path(), record);
}

}  // namespace kestrune
