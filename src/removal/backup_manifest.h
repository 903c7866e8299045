// Manifest.ini of a backup archive: its records, and the reading of its text
// into them. Pure text work over the archive's bytes (no Windows headers), so
// that the host build fuzzes it; backup_reader.h reads the archive around it.
#pragma once

#include "platform/item_kinds.h"

#include <map>
#include <string>
#include <vector>

namespace kestrune {

// The registry views a record may name, as REGSAM bits (KEY_WOW64_64KEY and
// KEY_WOW64_32KEY; backup_reader.cpp checks them against <windows.h>).
constexpr unsigned long kManifestView64 = 0x0100;
constexpr unsigned long kManifestView32 = 0x0200;

// One record of Manifest.ini: what one export or copy came from.
struct BackupItem {
    ItemKind kind = ItemKind::File;
    std::string entry;        // its name in the archive (a folder: "<entry>/...")
    std::string key;          // Key, Value: "HIVE\sub\key"
    std::string value;        // Value: the value's name (empty: the default value)
    // Key, Value: the registry view the key was exported from and is written
    // back in: kManifestView64 ("64") or kManifestView32 ("32"); 0 when the
    // record names none (backups made on 32-bit Windows and before views).
    unsigned long view = 0;
    std::string path;         // File, Folder, Cookie: the full path it came from
    unsigned long attributes = 0x80;   // FILE_ATTRIBUTE_NORMAL when not recorded
    // Folder: the attributes of the entries inside it, by their path inside
    // the folder (backslashes), as recorded.
    std::map<std::string, unsigned long> inside;
};

// Appends the records of a Manifest.ini text to `items`: lines ending
// "\r\n", each "[NAME:text]"; a "[TYPE:...]" line (REGKEY, REGVALUE, FILE,
// DIRECTORY, COOKIE) starts a record and the other lines fill it. False for
// any other line, a line before the first record, an unknown type or view, an
// INSIDE line without its colon, or a last line without its "\r\n".
bool parseBackupManifest(const std::string& text, std::vector<BackupItem>& items);

}  // namespace kestrune
