// Reading a backup archive back: every entry read whole through minizip's
// reader (CRC-32 checked, its expanded size bounded), Manifest.ini parsed
// into its records (backup_manifest.h), and the checks that refuse a damaged or hostile archive
// before a restore writes anything; the listings read only the manifests.
// Nothing here writes to the disk or the registry.
#pragma once

#include "platform/item_kinds.h"
#include "platform/reg_export.h"
#include "removal/backup_manifest.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kestrune {

// The place an item names, as the user reads it: the key, "key\value" text
// ("key\(default)" for a default value), or the path.
std::string backupItemPlace(const BackupItem& item);

// How much an archive may expand to. Kestrune's backups hold the registry
// exports of the selected keys (kilobytes, rarely a few megabytes), the
// copied files, folders and cookie files of the selected items (a parasite's
// programs and data: megabytes) and two descriptions. The restore holds every
// entry in memory until all of them are checked, in a 32-bit process, and
// compares each file with the one in its place: 512 MiB of entries, one of
// them at most 256 MiB, leaves room for that in 2 GiB of address space. A
// bigger archive could not be restored whole here anyway; it is refused as
// damaged instead of ending the program. The manifest takes some hundred
// bytes a record and a line per file inside a copied folder: 64 MiB holds
// hundreds of thousands of records.
constexpr unsigned long long kMaxEntryExpandedSize = 256ull << 20;
constexpr unsigned long long kMaxArchiveExpandedSize = 512ull << 20;
constexpr unsigned long long kMaxManifestSize = 64ull << 20;

struct BackupContents {
    std::map<std::string, std::string> entries;   // entry name -> bytes
    std::vector<BackupItem> items;                // manifest order
    // Entry name -> its .reg export as read and checked (registry_restore.h).
    std::map<std::string, RegExport> exports;
};

// Reads the archive at `path` and checks it. False, with `reason` saying why,
// when the archive cannot be read whole (a truncated zip, a CRC-32 that does
// not match) or is refused as damaged: an entry name that is absolute, has
// a ".." part (either slash) or comes twice, an entry bigger than
// kMaxEntryExpandedSize or entries bigger than kMaxArchiveExpandedSize
// together (as the archive's directory says, and as counted while
// inflating: an entry that yields more than its directory says is damaged),
// a manifest bigger than kMaxManifestSize, entries and manifest records that
// do not match each other (an entry no record accounts for, a record whose
// entry is missing), a manifest record without its places or with a place
// that breaks the item-text rules or names a protected file, folder or key
// as the item itself (a removed value's key may be protected), or a .reg
// export that checkRegistryExport refuses (read as regedit reads it: a key
// outside the one its record names, a deletion, a protected key or value, a
// line regedit would read otherwise). Each export is read once, into
// `contents.exports`. The manifest and the directory are checked before any
// other entry is inflated.
bool readBackup(const std::string& path, const ProtectedPlaces& places, BackupContents& contents,
                std::string& reason);

// The records of the archive's manifest, checked as readBackup checks them,
// with only the archive's directory and Manifest.ini read: no other entry is
// inflated, so CRC-32s and the .reg exports are left to readBackup.
bool readBackupManifest(const std::string& path, const ProtectedPlaces& places,
                        std::vector<BackupItem>& items, std::string& reason);

// True when `path` opens as a zip archive with a Manifest.ini entry, as
// every backup of Kestrune has (a damaged one too).
bool holdsBackupManifest(const std::string& path);

// One archive of the backup folder.
struct BackupArchiveInfo {
    std::string name;              // its file name
    std::string path;
    FILETIME written = {0, 0};     // last written, UTC
    unsigned long long size = 0;
    int items = -1;                // records of its manifest; -1 when damaged
};

// Every "*.zip" of `folder`, newest first, each with its number of items
// (readBackupManifest against `places`).
std::vector<BackupArchiveInfo> listBackupArchives(const std::string& folder,
                                                  const ProtectedPlaces& places);
// The same for several folders, all their archives together, newest first.
std::vector<BackupArchiveInfo> listBackupArchives(const std::vector<std::string>& folders,
                                                  const ProtectedPlaces& places);

}  // namespace kestrune
