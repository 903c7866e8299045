// The five kinds of item a parasite is made of, and every word Kestrune
// writes or reads for each of them. Whatever names a kind in a file, a log,
// a list, the console or JSON takes its word from here and reads it back
// through here, so that each word is written down once. Free of Windows
// headers, so that the readers of the host build can use it too.
#pragma once

#include <string>

namespace kestrune {

// The order is the Type column's order (result counts, the scan report, the
// ignore list) and the order in which a parasite's lists are scanned.
enum class ItemKind {
    RegistryKey,     // Parasite::registryKeys
    RegistryValue,   // Parasite::registryValues
    File,            // Parasite::files
    Folder,          // Parasite::directories
    Cookie,          // Parasite::cookies
};

constexpr int kItemKindCount = 5;

// Every kind, in the enum's order.
inline constexpr ItemKind kItemKinds[kItemKindCount] = {
    ItemKind::RegistryKey, ItemKind::RegistryValue, ItemKind::File, ItemKind::Folder,
    ItemKind::Cookie,
};

// The spellings of a kind. Each is fixed by files that already exist (old
// logs and backups, reference files, stored ignore lists) and by the
// console's output, so none may change.
enum class KindWord {
    // The item's element in a reference file: REGKEY, REGVALUE, FILE, DIR,
    // COOKIE.
    Tag,
    // The [TYPE:] of a record in the removal log, the restore log,
    // Manifest.ini and Config.ini: REGKEY, REGVALUE, FILE, DIRECTORY, COOKIE.
    Record,
    // The result list's Type column, the scan report, the ignore list's
    // entries, the console's tables and JSON's "kind": RegKey, RegValue,
    // File, Folder, Cookie.
    Type,
    // The console's sentences and the restore listings: key, value, file,
    // folder, cookie.
    Noun,
};

// The word of `kind` in `spelling`; the empty text for a value outside the
// enum.
const char* kindWord(ItemKind kind, KindWord spelling);

// The Type word, the spelling most places show.
inline const char* typeWord(ItemKind kind) { return kindWord(kind, KindWord::Type); }

// The kind whose word in `spelling` is exactly `word` (case counts); false,
// `kind` untouched, for any other text.
bool kindFromWord(const std::string& word, KindWord spelling, ItemKind& kind);

}  // namespace kestrune
