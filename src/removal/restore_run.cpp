// Putting a backup's items back.
#include "removal/restore_run.h"

#include "platform/file_bytes.h"
#include "platform/file_writing.h"
#include "platform/fs_redirection.h"
#include "platform/event_log.h"
#include "platform/handles.h"
#include "platform/path_links.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/folder_utils.h"
#include "removal/registry_restore.h"
#include "removal/removal_log.h"
#include "removal/test_stop.h"

#include "kestrune_events.h"

#include <windows.h>

namespace kestrune {

namespace {

const char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kPendingRenames[] = "PendingFileRenameOperations";

const char kLinkOnPath[] = "a link is on its path; nothing was written";

// The attributes a restored file must have as the archive records them; the
// others (archive bit, indexing) are the system's.
const DWORD kRestoredAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool attributesMatch(DWORD present, unsigned long recorded)
{
    return present != INVALID_FILE_ATTRIBUTES &&
           (present & kRestoredAttributes) == (recorded & kRestoredAttributes);
}

// Gives the file at `path` the recorded attributes; true when it has them.
bool setRecordedAttributes(const std::string& path, DWORD present, unsigned long recorded)
{
    DWORD next = (present & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)) |
                 (recorded & kRestoredAttributes);
    setAttributesOf(path, next == 0 ? FILE_ATTRIBUTE_NORMAL : next);
    return attributesMatch(attributesOf(path), recorded);
}

// One file back in its place; `reason` says why not. Nothing is written
// where a link is on the path; the file is written beside its place and moved
// over the name (writeFileInPlace), so that a hard link at the place loses
// only this name and a killed restore leaves the old file or the new one.
// The temporary files a killed restore left in the folder go first. Restored
// means that the place holds the archived bytes with the archived attributes:
// a file of the right bytes gets its attributes, a written one is read back.
RestoreResult restoreFile(const std::string& path, const std::string& bytes,
                          unsigned long attributes, bool force, std::string& reason)
{
    if (pathLeadsThroughLink(path)) {
        reason = kLinkOnPath;
        return RestoreResult::Failed;
    }
    removeDeadTemporaries(parentFolderOf(path));
    const DWORD present = attributesOf(path);
    if (present != INVALID_FILE_ATTRIBUTES) {
        if (present & FILE_ATTRIBUTE_DIRECTORY) {
            reason = "a folder is in its place";
            return RestoreResult::Exists;
        }
        std::string current;
        const bool same = readWholeFile(path, current, FILE_SHARE_READ) && current == bytes;
        if (!same && !force) {
            reason = "a different file is in its place";
            return RestoreResult::Exists;
        }
        if (same) {
            if (!attributesMatch(present, attributes) &&
                !setRecordedAttributes(path, present, attributes)) {
                reason = "its attributes cannot be set";
                return RestoreResult::Failed;
            }
            unscheduleDeletion(path);
            return RestoreResult::Restored;
        }
    } else if (!createFolderPath(parentFolderOf(path))) {
        reason = "its folder cannot be created";
        return RestoreResult::Failed;
    }
    switch (writeFileInPlace(path, bytes, attributes, stopBeforeMoveForTests)) {
    case FileWrite::Written:
        break;
    case FileWrite::LinkOnPath:
        reason = kLinkOnPath;
        return RestoreResult::Failed;
    case FileWrite::NotWritten:
        reason = "it cannot be written beside its place";
        return RestoreResult::Failed;
    case FileWrite::NotMoved:
        reason = "it cannot be moved into its place";
        return RestoreResult::Failed;
    }
    std::string written;
    if (!attributesMatch(attributesOf(path), attributes) ||
        !readWholeFile(path, written, FILE_SHARE_READ) || written != bytes) {
        reason = "it does not read back as archived";
        return RestoreResult::Failed;
    }
    unscheduleDeletion(path);
    return RestoreResult::Restored;
}

std::string insidePath(const std::string& zipName)
{
    std::string path = zipName;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

RestoreResult restoreFolder(const BackupItem& item, const BackupContents& contents, bool force,
                            std::string& reason)
{
    if (pathLeadsThroughLink(item.path)) {
        reason = kLinkOnPath;
        return RestoreResult::Failed;
    }
    const DWORD present = attributesOf(item.path);
    if (present != INVALID_FILE_ATTRIBUTES && !(present & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "a file is in its place";
        return RestoreResult::Exists;
    }
    if (!createFolderPath(item.path)) {
        reason = "it cannot be created";
        return RestoreResult::Failed;
    }
    RestoreResult result = RestoreResult::Restored;
    const std::string prefix = item.entry + "/";
    // The folders first (the map is in name order, parents before children),
    // then the files; the folders' attributes last, so that a read-only
    // folder still takes its files.
    std::vector<std::pair<std::string, unsigned long>> folders;
    for (const auto& entry : contents.entries) {
        if (entry.first.compare(0, prefix.size(), prefix) != 0 || entry.first == prefix)
            continue;
        const std::string inside = insidePath(entry.first.substr(prefix.size()));
        const std::string target = item.path + "\\" + inside;
        const auto recorded = item.inside.find(inside);
        const unsigned long attributes =
            recorded == item.inside.end() ? FILE_ATTRIBUTE_NORMAL : recorded->second;
        if (entry.first.back() == '/') {
            if (pathLeadsThroughLink(target)) {
                reason = std::string(kLinkOnPath) + ": " + inside;
                result = RestoreResult::Failed;
            } else if (!createFolderPath(target)) {
                reason = "a folder inside cannot be created: " + inside;
                result = RestoreResult::Failed;
            } else {
                folders.emplace_back(target, attributes);
            }
            continue;
        }
        std::string why;
        const RestoreResult one = restoreFile(target, entry.second, attributes, force, why);
        if (one == RestoreResult::Failed ||
            (one == RestoreResult::Exists && result == RestoreResult::Restored)) {
            result = one;
            reason = why + ": " + inside;
        }
    }
    for (const auto& folder : folders) {
        if (!pathLeadsThroughLink(folder.first))
            setAttributesOf(folder.first, folder.second | FILE_ATTRIBUTE_DIRECTORY);
    }
    if (item.attributes != FILE_ATTRIBUTE_NORMAL && !pathLeadsThroughLink(item.path))
        setAttributesOf(item.path, item.attributes | FILE_ATTRIBUTE_DIRECTORY);
    return result;
}

RestoreOutcome restoreItem(const BackupItem& item, const BackupContents& contents,
                           const ProtectedPlaces& places, const RestoreOptions& options)
{
    RestoreOutcome outcome;
    outcome.item = item;
    switch (item.kind) {
    case ItemKind::RegistryKey:
    case ItemKind::RegistryValue:
        outcome.result =
            restoreRegistryExport(item, contents.exports.at(item.entry), places, outcome.reason)
                ? RestoreResult::Restored
                : RestoreResult::Failed;
        break;
    case ItemKind::File:
        outcome.result = restoreFile(item.path, contents.entries.at(item.entry), item.attributes,
                                     options.force, outcome.reason);
        break;
    case ItemKind::Cookie:
        outcome.item.path = options.cookiesFolder.empty()
                                ? item.path
                                : joinPath(options.cookiesFolder, baseNameOf(item.path));
        outcome.result = restoreFile(outcome.item.path, contents.entries.at(item.entry),
                                     item.attributes, options.force, outcome.reason);
        break;
    case ItemKind::Folder:
        outcome.result = restoreFolder(item, contents, options.force, outcome.reason);
        break;
    }
    return outcome;
}

}  // namespace

std::string restoreLogName()
{
    return "\\Restore " + datedLogName().substr(1);
}

std::string restoreLogRecord(const RestoreOutcome& outcome)
{
    std::string record = typeLine(outcome.item.kind);
    switch (outcome.result) {
    case RestoreResult::Restored:
        record += "[ACTION:RESTORED]\r\n";
        break;
    case RestoreResult::Exists:
        record += "[ACTION:EXISTS]\r\n";
        break;
    case RestoreResult::Failed:
        record += "[ACTION:FAILED TO RESTORE]\r\n";
        break;
    }
    const bool registry =
        outcome.item.kind == ItemKind::RegistryKey || outcome.item.kind == ItemKind::RegistryValue;
    record += (registry ? "[VALUE:" : "[PATH:") + backupItemPlace(outcome.item) + "]\r\n";
    if (!outcome.reason.empty())
        record += "[REASON:" + outcome.reason + "]\r\n";
    return record;
}

namespace {

// The restore's event: KESTRUNE_EVENT_RESTORE_REFUSED (Error) for a damaged
// archive, else KESTRUNE_EVENT_RESTORE (Warning when an item was not put back).
void writeRestoreEvent(const std::string& archivePath, const RestoreSummary& summary)
try {
    LoggedEvent event;
    if (summary.damaged) {
        event.id = KESTRUNE_EVENT_RESTORE_REFUSED;
        event.level = EventLevel::Error;
        event.texts = {archivePath, summary.reason};
    } else {
        event.id = KESTRUNE_EVENT_RESTORE;
        if (summary.exists > 0 || summary.failed > 0)
            event.level = EventLevel::Warning;
        event.texts = {archivePath, std::to_string(summary.restored),
                       std::to_string(summary.exists), std::to_string(summary.failed)};
    }
    writeEvent(event);
} catch (...) {
    // No event (out of memory): the restore's log and summary stand.
}

}  // namespace

RestoreSummary restoreBackup(const std::string& archivePath, const ProtectedPlaces& places,
                             const RestoreOptions& options, RestoreReport* report)
{
    RestoreSummary summary;
    BackupContents contents;
    if (!readBackup(archivePath, places, contents, summary.reason)) {
        summary.damaged = true;
        writeRestoreEvent(archivePath, summary);
        return summary;
    }
    RemovalLog log(options.logFolder, restoreLogName());
    summary.logPath = log.path();
    for (size_t i = 0; i < contents.items.size(); ++i) {
        const BackupItem& item = contents.items[i];
        if (!options.chosen.empty() && (i >= options.chosen.size() || !options.chosen[i]))
            continue;
        RestoreOutcome outcome;
        {
            // Files go back to the real System32 and SysWOW64.
            const ScopedFsRedirectionOff realFolders;
            outcome = restoreItem(item, contents, places, options);
        }
        switch (outcome.result) {
        case RestoreResult::Restored:
            ++summary.restored;
            break;
        case RestoreResult::Exists:
            ++summary.exists;
            break;
        case RestoreResult::Failed:
            ++summary.failed;
            break;
        }
        log.write(restoreLogRecord(outcome));
        if (report != nullptr)
            report->itemDone(outcome);
        stopHereForTests(kStopBetweenItems);
    }
    writeRestoreEvent(archivePath, summary);
    return summary;
}

bool unscheduleDeletion(const std::string& path)
{
    RegistryKey key;
    if (key.open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ | KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool clear = true;
    if (RegQueryValueExA(key.get(), kPendingRenames, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ && size > 0) {
        std::string data(size, '\0');
        RegQueryValueExA(key.get(), kPendingRenames, nullptr, &type,
                         reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
        // Pairs of source and target; a deletion has an empty target.
        std::vector<std::string> texts;
        std::string::size_type start = 0;
        while (start < data.size()) {
            std::string::size_type end = data.find('\0', start);
            if (end == std::string::npos)
                end = data.size();
            texts.push_back(data.substr(start, end - start));
            start = end + 1;
        }
        while (!texts.empty() && texts.back().empty() && texts.size() % 2 != 0)
            texts.pop_back();
        std::string kept;
        bool changed = false;
        for (size_t i = 0; i + 1 < texts.size(); i += 2) {
            std::string source = texts[i];
            if (source.compare(0, 4, "\\??\\") == 0)
                source.erase(0, 4);
            if (texts[i + 1].empty() && sameText(source, path)) {
                changed = true;
                continue;
            }
            kept += texts[i] + '\0' + texts[i + 1] + '\0';
        }
        if (changed) {
            kept += '\0';
            clear = (kept.size() == 1
                         ? RegDeleteValueA(key.get(), kPendingRenames)
                         : RegSetValueExA(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                                          reinterpret_cast<const BYTE*>(kept.data()),
                                          static_cast<DWORD>(kept.size()))) == ERROR_SUCCESS;
        }
    }
    return clear;
}

}  // namespace kestrune
