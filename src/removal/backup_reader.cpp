// Reading and checking a backup archive.
#include "removal/backup_reader.h"

#include "definitions/text_encoding.h"
#include "definitions/text_platform.h"
#include "platform/hives.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "removal/backup_session.h"
#include "removal/folder_utils.h"
#include "removal/registry_restore.h"
#include "removal/zip_input.h"

#include <minizip/unzip.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <unordered_set>

namespace kestrune {

static_assert(kManifestView64 == KEY_WOW64_64KEY && kManifestView32 == KEY_WOW64_32KEY,
              "Manifest.ini's views are REGSAM bits");

namespace {

// The name and declared expanded size of the archive's current entry.
bool currentEntryInfo(unzFile zip, std::string& name, unsigned long long& size)
{
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name.assign(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(zip, &info, &name[0], info.size_filename + 1, nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    size = info.uncompressed_size;
    return true;
}

// Inflates the current entry, whose directory says it expands to `size`
// bytes (already checked against the bounds). minizip stops at that size
// itself; asking for one byte more keeps the bound should it not.
bool readCurrentEntry(unzFile zip, unsigned long long size, std::string& data)
{
    data.clear();
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    data.resize(static_cast<size_t>(size));
    size_t done = 0;
    int read = 0;
    while (done < data.size()) {
        const size_t wanted = std::min<size_t>(data.size() - done, 1u << 20);
        read = unzReadCurrentFile(zip, &data[done], static_cast<unsigned>(wanted));
        if (read <= 0)
            break;
        done += static_cast<size_t>(read);
    }
    char beyond = 0;
    if (read >= 0)
        read = unzReadCurrentFile(zip, &beyond, 1);
    // Closing after the last byte checks the CRC-32.
    const int closed = unzCloseCurrentFile(zip);
    return done == data.size() && read == 0 && closed == UNZ_OK;
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
    if (item.kind == ItemKind::RegistryKey || item.kind == ItemKind::RegistryValue) {
        const std::string hive = hiveOf(item.key);
        const std::string sub = subKeyOf(item.key);
        if (hiveFromName(hive) == nullptr || sub.empty() || sub.back() == '\\' ||
            sub.find("\\\\") != std::string::npos)
            return "a record names no plain key: " + item.key;
        if (item.kind == ItemKind::RegistryKey && places.isProtectedKey(hive, sub))
            return "a record names a protected key: " + item.key;
        if (item.kind == ItemKind::RegistryValue && places.isProtectedValue(hive, sub, item.value))
            return "a record names a protected value: " + backupItemPlace(item);
        return std::string();
    }
    std::string::size_type slash = lastBackslash(item.path);
    if (slash == std::string::npos || itemPathRefused(item.path.substr(0, slash)) ||
        itemNameRefused(item.path.substr(slash + 1)))
        return "a record names no plain path: " + item.path;
    for (const auto& inside : item.inside) {
        if (itemNameRefused(inside.first) || unsafeEntryName(inside.first))
            return "a record names no plain path inside " + item.path;
    }
    if (item.kind == ItemKind::Folder ? places.isProtectedFolder(item.path)
                                            : places.isProtectedFile(item.path))
        return "a record names a protected place: " + item.path;
    return std::string();
}

std::string mebibytes(unsigned long long bytes)
{
    return std::to_string(bytes >> 20) + " MiB";
}

// The archive's directory: every entry's name and declared expanded size, in
// directory order, each checked against the name rules and the bounds.
struct ArchiveDirectory {
    std::vector<std::string> names;
    std::vector<unsigned long long> sizes;
    std::unordered_set<std::string> known;   // the same names, for look-ups
    bool hasManifest = false;
    unz64_file_pos manifestAt = {0, 0};
    bool legacyNames = false;   // the names are read in the legacy code page
};

bool readDirectory(unzFile zip, ArchiveDirectory& directory, std::string& reason)
{
    unsigned long long total = 0;
    for (int at = unzGoToFirstFile(zip); at != UNZ_END_OF_LIST_OF_FILE; at = unzGoToNextFile(zip)) {
        std::string name;
        unsigned long long size = 0;
        if (at != UNZ_OK || !currentEntryInfo(zip, name, size)) {
            reason = "the archive's directory cannot be read";
            return false;
        }
        if (unsafeEntryName(name)) {
            reason = "an entry name leaves the archive: " + name;
            return false;
        }
        if (!directory.known.insert(name).second) {
            reason = "an entry comes twice: " + name;
            return false;
        }
        if (size > kMaxEntryExpandedSize) {
            reason = "an entry expands beyond " + mebibytes(kMaxEntryExpandedSize) + ": " + name;
            return false;
        }
        total += size;
        if (total > kMaxArchiveExpandedSize) {
            reason =
                "the entries expand beyond " + mebibytes(kMaxArchiveExpandedSize) + " together";
            return false;
        }
        if (name == kManifestFileName)
            directory.hasManifest = unzGetFilePos64(zip, &directory.manifestAt) == UNZ_OK;
        directory.names.push_back(name);
        directory.sizes.push_back(size);
    }
    return true;
}

bool readManifest(unzFile zip, ArchiveDirectory& directory, std::string& manifest,
                  std::string& reason)
{
    std::string name;
    unsigned long long size = 0;
    if (!directory.hasManifest || unzGoToFilePos64(zip, &directory.manifestAt) != UNZ_OK ||
        !currentEntryInfo(zip, name, size) || size > kMaxManifestSize ||
        !readCurrentEntry(zip, size, manifest)) {
        reason = size > kMaxManifestSize
                     ? "Manifest.ini is bigger than " + mebibytes(kMaxManifestSize)
                     : std::string("no readable Manifest.ini");
        return false;
    }
    return true;
}

// An entry name as read: converted from the legacy code page when the
// archive's names are in it. False when it cannot be converted.
bool nameAsRead(const ArchiveDirectory& directory, std::string& name)
{
    if (!directory.legacyNames)
        return true;
    std::string converted;
    if (!legacyTextToUtf8(name, converted))
        return false;
    name.swap(converted);
    return true;
}

// An archive written while Kestrune's texts were in the legacy code page has
// a Manifest.ini that is not valid UTF-8 when it names anything beyond ASCII:
// its manifest and entry names are then read in that code page, converted to
// the UTF-8 this process works in. False when a conversion fails.
bool readLegacyArchiveNames(ArchiveDirectory& directory, std::string& manifest)
{
    if (!processTextIsUtf8() || isValidUtf8(manifest))
        return true;
    directory.legacyNames = true;
    if (!readAsProcessText(manifest, true))
        return false;
    directory.known.clear();
    for (std::string& name : directory.names) {
        if (!nameAsRead(directory, name) || !directory.known.insert(name).second)
            return false;
    }
    return true;
}

// Every entry belongs to a record, or is one of the descriptions, and every
// record's entry is there. Sets, not a record-by-entry search: an archive of
// a big folder holds hundreds of thousands of both.
bool entriesMatchRecords(const ArchiveDirectory& directory, const std::vector<BackupItem>& items,
                         std::string& reason)
{
    std::unordered_set<std::string> plain;
    std::unordered_set<std::string> folders;
    for (const BackupItem& item : items)
        (item.kind == ItemKind::Folder ? folders : plain).insert(item.entry);
    for (const std::string& name : directory.names) {
        // Record entries hold no slash: a folder's entries are "<entry>/...".
        const std::string::size_type slash = name.find('/');
        const bool inFolder =
            slash != std::string::npos && folders.count(name.substr(0, slash)) != 0;
        const bool known = name == kManifestFileName || name == kConfigFileName ||
                           plain.count(name) != 0 || inFolder;
        if (!known) {
            reason = "an entry no record of Manifest.ini names: " + name;
            return false;
        }
    }
    for (const BackupItem& item : items) {
        const std::string entry =
            item.kind == ItemKind::Folder ? item.entry + "/" : item.entry;
        if (directory.known.count(entry) == 0) {
            reason = "a record's entry is missing: " + item.entry;
            return false;
        }
    }
    return true;
}

// The checks of readBackupManifest on the archive: that it opened, its
// directory, then the manifest and its records. `manifest` keeps the
// manifest's bytes.
bool checkDirectoryAndManifest(const ZipReader& archive, const ProtectedPlaces& places,
                               ArchiveDirectory& directory, std::string& manifest,
                               std::vector<BackupItem>& items, std::string& reason)
{
    unzFile zip = archive.get();
    if (zip == nullptr) {
        reason = "not a readable zip archive";
        return false;
    }
    if (!readDirectory(zip, directory, reason) || !readManifest(zip, directory, manifest, reason))
        return false;
    if (!readLegacyArchiveNames(directory, manifest) || !parseBackupManifest(manifest, items)) {
        reason = "no readable Manifest.ini";
        return false;
    }
    for (const BackupItem& item : items) {
        reason = recordFault(item, places);
        if (!reason.empty())
            return false;
    }
    return entriesMatchRecords(directory, items, reason);
}

const char kTooBigForMemory[] = "the archive does not fit in memory";

}  // namespace

std::string backupItemPlace(const BackupItem& item)
{
    if (item.kind == ItemKind::RegistryKey)
        return item.key;
    if (item.kind == ItemKind::RegistryValue)
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
        std::vector<BackupItem> items;
        std::string reason;
        if (readBackupManifest(info.path, places, items, reason))
            info.items = static_cast<int>(items.size());
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

namespace {

bool readWholeBackup(const std::string& path, const ProtectedPlaces& places,
                     BackupContents& contents, std::string& reason)
{
    ZipReader zip(path);
    ArchiveDirectory directory;
    std::string manifest;
    if (!checkDirectoryAndManifest(zip, places, directory, manifest, contents.items, reason))
        return false;
    size_t at = 0;
    for (int step = unzGoToFirstFile(zip.get()); step != UNZ_END_OF_LIST_OF_FILE;
         step = unzGoToNextFile(zip.get()), ++at) {
        std::string name;
        unsigned long long size = 0;
        std::string data;
        // The directory is read again from the file: it must say what it
        // said before.
        if (step != UNZ_OK || at >= directory.names.size() ||
            !currentEntryInfo(zip.get(), name, size) || !nameAsRead(directory, name) ||
            name != directory.names[at] ||
            size != directory.sizes[at]) {
            reason = "the archive changed while it was read";
            return false;
        }
        if (name == kManifestFileName) {
            data.swap(manifest);
        } else if (!readCurrentEntry(zip.get(), size, data)) {
            reason = "an entry cannot be read whole: " + name;
            return false;
        }
        contents.entries.emplace(name, std::move(data));
    }
    if (at != directory.names.size()) {
        reason = "the archive changed while it was read";
        return false;
    }
    for (const BackupItem& item : contents.items) {
        const std::string entry =
            item.kind == ItemKind::Folder ? item.entry + "/" : item.entry;
        const auto found = contents.entries.find(entry);
        if (found == contents.entries.end()) {
            reason = "a record's entry is missing: " + item.entry;
            return false;
        }
        if (item.kind != ItemKind::RegistryKey && item.kind != ItemKind::RegistryValue)
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

}  // namespace

bool readBackup(const std::string& path, const ProtectedPlaces& places, BackupContents& contents,
                std::string& reason)
{
    contents = BackupContents();
    try {
        if (readWholeBackup(path, places, contents, reason))
            return true;
    } catch (const std::exception&) {   // bad_alloc, length_error
        reason = kTooBigForMemory;
    }
    contents = BackupContents();
    return false;
}

bool readBackupManifest(const std::string& path, const ProtectedPlaces& places,
                        std::vector<BackupItem>& items, std::string& reason)
{
    items.clear();
    try {
        ZipReader zip(path);
        ArchiveDirectory directory;
        std::string manifest;
        if (checkDirectoryAndManifest(zip, places, directory, manifest, items, reason))
            return true;
    } catch (const std::exception&) {   // bad_alloc, length_error
        reason = kTooBigForMemory;
    }
    items.clear();
    return false;
}

bool holdsBackupManifest(const std::string& path)
{
    ZipReader zip(path);
    return zip.get() != nullptr && unzLocateFile(zip.get(), kManifestFileName, 1) == UNZ_OK;
}

}  // namespace kestrune
