// Names, descriptions and the running verdict of one backup.
#include "removal/backup_session.h"

#include "platform/file_bytes.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/folder_utils.h"
#include "removal/removal_log.h"

namespace kestrune {

const char kConfigFileName[] = "Config.ini";
const char kManifestFileName[] = "Manifest.ini";

std::string numberedName(const std::string& name, int n)
{
    if (n <= 1)
        return name;
    const std::string number = " (" + std::to_string(n) + ")";
    std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

BackupSession::BackupSession(std::string folder, BackupReport* report)
    : folder_(std::move(folder)), report_(report), part_(folder_)
{
    taken_.emplace(foldedText(kConfigFileName), folder_);
    taken_.emplace(foldedText(kManifestFileName), folder_);
}

const std::string& BackupSession::partForNextEntry()
{
    if (partEntries_ < kEntriesPerPart)
        return part_;
    partEntries_ = 0;
    // A subfolder an earlier backup left (something in it could not be
    // removed) is passed by: this backup's copies go into folders of its own.
    for (;;) {
        const std::string name = "~part" + std::to_string(++partNumber_);
        const std::string path = joinPath(folder_, name);
        if (createFolderAt(path)) {
            parts_.insert(foldedText(name));
            part_ = path;
            return part_;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            part_ = folder_;
            return part_;
        }
    }
}

std::string BackupSession::claimName(const std::string& name)
{
    for (int n = 1;; ++n) {
        std::string candidate = numberedName(name, n);
        const std::string key = foldedText(candidate);
        if (taken_.count(key) != 0)
            continue;
        if (parts_.count(key) == 0 &&
            attributesOf(joinPath(folder_, candidate)) != INVALID_FILE_ATTRIBUTES)
            continue;
        taken_.emplace(key, partForNextEntry());
        ++partEntries_;
        entries_.push_back(candidate);
        return candidate;
    }
}

std::string BackupSession::folderOf(const std::string& name) const
{
    const auto found = taken_.find(foldedText(name));
    return found == taken_.end() ? folder_ : found->second;
}

std::string BackupSession::pathOf(const std::string& name) const
{
    return joinPath(folderOf(name), name);
}

void BackupSession::stepDone(const BackupStep& step)
{
    if (!step.ok)
        ++failures_;
    if (report_ != nullptr)
        report_->step(step);
}

bool BackupSession::appendTo(const std::string& fileName, const std::string& text)
{
    const std::string path = joinPath(folder_, fileName);
    bool first = true;
    for (const std::string& entry : entries_) {
        if (entry == fileName)
            first = false;
    }
    if (first)
        entries_.push_back(fileName);
    return appendToFile(path, text);
}

void BackupSession::appendConfigRecord(const std::string& record)
{
    if (!appendTo(kConfigFileName, record))
        stepDone(BackupStep{BackupStepKind::Description, record, kConfigFileName, false});
}

void BackupSession::addManifestRecord(ItemKind kind, const std::string& entry,
                                      const std::string& details)
{
    manifest_ += typeLine(kind) + "[ENTRY:" + entry + "]\r\n" + details;
}

bool BackupSession::firstCopyOf(const std::string& source)
{
    return copied_.insert(foldedText(source)).second;
}

void BackupSession::writeManifest()
{
    if (manifest_.empty())
        return;
    if (!appendTo(kManifestFileName, manifest_))
        stepDone(BackupStep{BackupStepKind::Description, "", kManifestFileName, false});
}

}  // namespace kestrune
