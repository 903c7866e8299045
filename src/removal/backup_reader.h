// Reading a backup archive back: every entry read whole through minizip's
// reader (CRC-32 checked), Manifest.ini parsed into its records, and the
// checks that refuse a damaged or hostile archive before a restore writes
// anything. Nothing here writes to the disk or the registry.
#pragma once

#include "platform/reg_export.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kestrune {

enum class BackupItemKind { Key, Value, File, Folder, Cookie };

// One record of Manifest.ini: what one export or copy came from.
struct BackupItem {
    BackupItemKind kind = BackupItemKind::File;
    std::string entry;        // its name in the archive (a folder: "<entry>/...")
    std::string key;          // Key, Value: "HIVE\sub\key"
    std::string value;        // Value: the value's name (empty: the default value)
    std::string path;         // File, Folder, Cookie: the full path it came from
    unsigned long attributes = 0x80;   // FILE_ATTRIBUTE_NORMAL when not recorded
    // Folder: the attributes of the entries inside it, by their path inside
    // the folder (backslashes), as recorded.
    std::map<std::string, unsigned long> inside;
};

// "key", "value", "file", "folder" or "cookie".
const char* backupItemKindName(BackupItemKind kind);
// The place an item names, as the user reads it: the key, "key\value" text
// ("key\(default)" for a default value), or the path.
std::string backupItemPlace(const BackupItem& item);

struct BackupContents {
    std::map<std::string, std::string> entries;   // entry name -> bytes
    std::vector<BackupItem> items;                // manifest order
    // Entry name -> its .reg export as read and checked (registry_restore.h).
    std::map<std::string, RegExport> exports;
};

// Reads the archive at `path` and checks it. False, with `reason` saying why,
// when the archive cannot be read whole (a truncated zip, a CRC-32 that does
// not match) or is refused as damaged: an entry name that is absolute or has
// a ".." part (either slash), entries and manifest records that do not
// match each other (an entry no record accounts for, a record whose entry is
// missing), a manifest record without its places or with a place that breaks
// the item-text rules or names a protected file, folder or key as the item
// itself (a removed value's key may be protected), or a .reg export that
// checkRegistryExport refuses (read as regedit reads it: a key outside the
// one its record names, a deletion, a protected key or value, a line regedit
// would read otherwise). Each export is read once, into `contents.exports`.
bool readBackup(const std::string& path, const ProtectedPlaces& places, BackupContents& contents,
                std::string& reason);

// One archive of the backup folder.
struct BackupArchiveInfo {
    std::string name;              // its file name
    std::string path;
    FILETIME written = {0, 0};     // last written, UTC
    unsigned long long size = 0;
    int items = -1;                // records of its manifest; -1 when damaged
};

// Every "*.zip" of `folder`, newest first, each read and checked (readBackup
// against `places`) for its number of items.
std::vector<BackupArchiveInfo> listBackupArchives(const std::string& folder,
                                                  const ProtectedPlaces& places);
// The same for several folders, all their archives together, newest first.
std::vector<BackupArchiveInfo> listBackupArchives(const std::vector<std::string>& folders,
                                                  const ProtectedPlaces& places);

}  // namespace kestrune
