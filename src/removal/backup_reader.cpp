// Reading and checking a backup archive.
#include "removal/backup_reader.h"

#include "platform/hives.h"
#include "platform/text_compare.h"
#include "removal/backup_session.h"
#include "removal/folder_utils.h"
#include "removal/registry_restore.h"

#include <minizip/unzip.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kestrune {

namespace {

// The archive, closed on destruction.
class ZipReader {
public:
    explicit ZipReader(const std::string& path) : zip_(unzOpen(path.c_str())) {}
    ~ZipReader()
    {
        if (zip_ != nullptr)
            unzClose(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_;
};

bool readCurrentEntry(unzFile zip, std::string& name, std::string& data)
{
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name.assign(info.size_filename, '\0');
    if (unzGetCurrentFileInfo(zip, &info, &name[0], info.size_filename + 1, nullptr, 0, nullptr,
                              0) != UNZ_OK)
        return false;
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    std::string piece(8192, '\0');
    int read = 0;
    while ((read = unzReadCurrentFile(zip, &piece[0], static_cast<unsigned>(piece.size()))) > 0)
        data.append(piece.data(), static_cast<size_t>(read));
    // Closing after the last byte checks the CRC-32.
    const int closed = unzCloseCurrentFile(zip);
    return read == 0 && closed == UNZ_OK && data.size() == info.uncompressed_size;
}

bool unsafeEntryName(const std::string& name)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos)
        return true;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type stop = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, stop == std::string::npos ? stop : stop - start);
        if (part == "..")
            return true;
        if (stop == std::string::npos)
            return false;
        start = stop + 1;
    }
}

// The text of a "[NAME:text]" line; false for another name.
bool lineField(const std::string& line, const char* name, std::string& text)
{
    const std::string head = std::string("[") + name + ":";
    if (line.compare(0, head.size(), head) != 0 || line.empty() || line.back() != ']')
        return false;
    text = line.substr(head.size(), line.size() - head.size() - 1);
    return true;
}

bool parseManifest(const std::string& text, std::vector<BackupItem>& items)
{
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find("\r\n", start);
        if (end == std::string::npos)
            return false;
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        std::string field;
        if (lineField(line, "TYPE", field)) {
            BackupItem item;
            if (field == "REGKEY")
                item.kind = BackupItemKind::Key;
            else if (field == "REGVALUE")
                item.kind = BackupItemKind::Value;
            else if (field == "FILE")
                item.kind = BackupItemKind::File;
            else if (field == "DIRECTORY")
                item.kind = BackupItemKind::Folder;
            else if (field == "COOKIE")
                item.kind = BackupItemKind::Cookie;
            else
                return false;
            items.push_back(item);
            continue;
        }
        if (items.empty())
            return false;
        BackupItem& item = items.back();
        if (lineField(line, "ENTRY", field)) {
            item.entry = field;
        } else if (lineField(line, "KEY", field)) {
            item.key = field;
        } else if (lineField(line, "VALUE", field)) {
            item.value = field;
        } else if (lineField(line, "PATH", field)) {
            item.path = field;
        } else if (lineField(line, "ATTRIBUTES", field)) {
            item.attributes = std::strtoul(field.c_str(), nullptr, 16);
        } else if (lineField(line, "INSIDE", field)) {
            std::string::size_type colon = field.find(':');
            if (colon == std::string::npos)
                return false;
            item.inside[field.substr(colon + 1)] =
                std::strtoul(field.substr(0, colon).c_str(), nullptr, 16);
        } else {
            return false;
        }
    }
    return true;
}

std::string hiveOf(const std::string& key)
{
    return key.substr(0, key.find('\\'));
}

std::string subKeyOf(const std::string& key)
{
    std::string::size_type slash = key.find('\\');
    return slash == std::string::npos ? std::string() : key.substr(slash + 1);
}

// Why a record cannot be restored as it stands; empty when it can.
std::string recordFault(const BackupItem& item, const ProtectedPlaces& places)
{
    if (item.entry.empty() || unsafeEntryName(item.entry) ||
        item.entry.find_first_of("/\\") != std::string::npos)
        return "a record names no plain entry";
    if (item.kind == BackupItemKind::Key || item.kind == BackupItemKind::Value) {
        const std::string hive = hiveOf(item.key);
        const std::string sub = subKeyOf(item.key);
        if (hiveFromName(hive) == nullptr || sub.empty() || sub.back() == '\\' ||
            sub.find("\\\\") != std::string::npos)
            return "a record names no plain key: " + item.key;
        if (item.kind == BackupItemKind::Key && places.isProtectedKey(hive, sub))
            return "a record names a protected key: " + item.key;
        if (item.kind == BackupItemKind::Value && places.isProtectedValue(hive, sub, item.value))
            return "a record names a protected value: " + backupItemPlace(item);
        return std::string();
    }
    std::string::size_type slash = item.path.find_last_of('\\');
    if (slash == std::string::npos || itemPathRefused(item.path.substr(0, slash)) ||
        itemNameRefused(item.path.substr(slash + 1)))
        return "a record names no plain path: " + item.path;
    for (const auto& inside : item.inside) {
        if (itemNameRefused(inside.first) || unsafeEntryName(inside.first))
            return "a record names no plain path inside " + item.path;
    }
    if (item.kind == BackupItemKind::Folder ? places.isProtectedFolder(item.path)
                                            : places.isProtectedFile(item.path))
        return "a record names a protected place: " + item.path;
    return std::string();
}

}  // namespace

const char* backupItemKindName(BackupItemKind kind)
{
    switch (kind) {
    case BackupItemKind::Key:
        return "key";
    case BackupItemKind::Value:
        return "value";
    case BackupItemKind::Folder:
        return "folder";
    case BackupItemKind::Cookie:
        return "cookie";
    case BackupItemKind::File:
        break;
    }
    return "file";
}

std::string backupItemPlace(const BackupItem& item)
{
    if (item.kind == BackupItemKind::Key)
        return item.key;
    if (item.kind == BackupItemKind::Value)
        return item.key + "\\" + (item.value.empty() ? std::string("(default)") : item.value);
    return item.path;
}

namespace {

void sortNewestFirst(std::vector<BackupArchiveInfo>& archives)
{
    std::stable_sort(archives.begin(), archives.end(),
                     [](const BackupArchiveInfo& a, const BackupArchiveInfo& b) {
                         return CompareFileTime(&a.written, &b.written) > 0;
                     });
}

}  // namespace

std::vector<BackupArchiveInfo> listBackupArchives(const std::string& folder,
                                                  const ProtectedPlaces& places)
{
    std::vector<BackupArchiveInfo> archives;
    listFolder(folder, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < 4 ||
            !sameText(name.substr(name.size() - 4), ".zip"))
            return true;
        BackupArchiveInfo info;
        info.name = name;
        info.path = joinPath(folder, name);
        info.written = entry.ftLastWriteTime;
        info.size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) |
                    entry.nFileSizeLow;
        BackupContents contents;
        std::string reason;
        if (readBackup(info.path, places, contents, reason))
            info.items = static_cast<int>(contents.items.size());
        archives.push_back(info);
        return true;
    });
    sortNewestFirst(archives);
    return archives;
}

std::vector<BackupArchiveInfo> listBackupArchives(const std::vector<std::string>& folders,
                                                  const ProtectedPlaces& places)
{
    std::vector<BackupArchiveInfo> archives;
    for (const std::string& folder : folders) {
        std::vector<BackupArchiveInfo> more = listBackupArchives(folder, places);
        archives.insert(archives.end(), more.begin(), more.end());
    }
    sortNewestFirst(archives);
    return archives;
}

bool readBackup(const std::string& path, const ProtectedPlaces& places, BackupContents& contents,
                std::string& reason)
{
    contents = BackupContents();
    ZipReader zip(path);
    if (zip.get() == nullptr) {
        reason = "not a readable zip archive";
        return false;
    }
    for (int at = unzGoToFirstFile(zip.get()); at != UNZ_END_OF_LIST_OF_FILE;
         at = unzGoToNextFile(zip.get())) {
        std::string name;
        std::string data;
        if (at != UNZ_OK || !readCurrentEntry(zip.get(), name, data)) {
            reason = "an entry cannot be read whole" + (name.empty() ? "" : ": " + name);
            return false;
        }
        if (unsafeEntryName(name)) {
            reason = "an entry name leaves the archive: " + name;
            return false;
        }
        contents.entries[name] = data;
    }
    const auto manifest = contents.entries.find(kManifestFileName);
    if (manifest == contents.entries.end() ||
        !parseManifest(manifest->second, contents.items)) {
        reason = "no readable Manifest.ini";
        return false;
    }
    for (const BackupItem& item : contents.items) {
        reason = recordFault(item, places);
        if (!reason.empty())
            return false;
    }
    // Every entry belongs to a record, or is one of the descriptions.
    for (const auto& entry : contents.entries) {
        const std::string& name = entry.first;
        bool known = name == kManifestFileName || name == kConfigFileName;
        for (const BackupItem& item : contents.items) {
            if (item.kind == BackupItemKind::Folder
                    ? name.compare(0, item.entry.size() + 1, item.entry + "/") == 0
                    : name == item.entry)
                known = true;
        }
        if (!known) {
            reason = "an entry no record of Manifest.ini names: " + name;
            return false;
        }
    }
    for (const BackupItem& item : contents.items) {
        const std::string entry =
            item.kind == BackupItemKind::Folder ? item.entry + "/" : item.entry;
        const auto found = contents.entries.find(entry);
        if (found == contents.entries.end()) {
            reason = "a record's entry is missing: " + item.entry;
            return false;
        }
        if (item.kind != BackupItemKind::Key && item.kind != BackupItemKind::Value)
            continue;
        RegExport parsed;
        reason = checkRegistryExport(item, found->second, places, parsed);
        if (!reason.empty())
            return false;
        contents.exports[item.entry] = std::move(parsed);
    }
    reason.clear();
    return true;
}

}  // namespace kestrune
