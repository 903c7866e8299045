// The ignore list: finds the user keeps, stored one value per entry under
// HKEY_CURRENT_USER "SOFTWARE\Kestrune\Ignore", and IgnoreSet, the list as a
// scan or a removal asks it (read once, looked up caselessly).
//
// An entry is a find's kind and its location exactly as the result row shows
// it, the parasite's name and the date it was added. Entries are matched on
// kind and location without regard to case. Each value's name is a hash of
// the kind and the folded location (with a suffix when two entries collide),
// and its data is "Kind\tlocation\tparasite\tadded" with '%', tabs and other
// control characters written as %XX, so any location text survives the round
// trip. Nothing here shows a message; window thread or console only.
#pragma once

#include "platform/find.h"

#include <map>
#include <string>
#include <vector>

namespace kestrune {

// The key below HKEY_CURRENT_USER that holds the entries.
extern const char kIgnoreKeyPath[];

struct IgnoreEntry {
    ItemKind kind = ItemKind::File;
    std::string location;   // as the result row's Location column
    std::string parasite;   // may be empty (added from the console)
    std::string added;      // "YYYY-MM-DD hh:mm:ss", local time
};

// The kind whose Type word (item_kinds.h) is `word` in any case; false,
// `kind` untouched, otherwise.
bool kindFromTypeWord(const std::string& word, ItemKind& kind);

// The local time now as an entry's `added` text.
std::string ignoreDateNow();

// Writes the default settings when the settings key does not exist yet,
// exactly as the program's first run does (createDefaultSettings). A writer
// other than the program calls this before it creates anything below the
// settings key, since the program takes a missing key for its first run.
// False only when the defaults were needed and could not be written.
bool ensureSettingsWritten();

// Every readable entry, ordered by kind (Type-column order) and then by
// location without regard to case. Values that are not entries (another
// type, an unknown kind word, an empty location) are passed over. Empty when
// the key is missing.
std::vector<IgnoreEntry> loadIgnoreEntries();

enum class IgnoreAdd {
    Added,
    AlreadyListed,   // an entry of that kind and location was there; unchanged
    Failed,          // empty location, or the registry refused the write
};

// Adds one entry (ensureSettingsWritten first; an empty `added` becomes
// ignoreDateNow()).
IgnoreAdd addIgnoreEntry(const IgnoreEntry& entry);

// Removes every entry of `kind` whose location equals `location` without
// regard to case. Returns how many were removed (0 also when the key is
// missing or a value could not be deleted).
int removeIgnoreEntries(ItemKind kind, const std::string& location);

// The list as one scan or removal asks it: built once, then looked up in
// O(log n). Locations are compared without regard to case.
class IgnoreSet {
public:
    IgnoreSet() = default;
    explicit IgnoreSet(const std::vector<IgnoreEntry>& entries);
    // The entries stored now (loadIgnoreEntries).
    static IgnoreSet load();

    void add(ItemKind kind, const std::string& location);
    bool contains(ItemKind kind, const std::string& location) const;
    bool empty() const;

    // What removing folder `folder` (a full path) would take with it: true
    // when a File or Folder entry lies at `folder` or below it; `which` (may
    // be null) then gets that entry's location as it was added.
    bool holdsBelowFolder(const std::string& folder, std::string* which = nullptr) const;
    // The same for key `key` ("main\sub\value", a RegKey location): a RegKey
    // entry at or below it, or a RegValue entry of it or of a key below it.
    bool holdsBelowKey(const std::string& key, std::string* which = nullptr) const;

private:
    using Locations = std::map<std::string, std::string>;   // folded -> as added
    const Locations& of(ItemKind kind) const;
    // When `kind` holds `location` exactly (folded), its text into `which`.
    bool holdsExactly(ItemKind kind, const std::string& folded, std::string* which) const;
    // A location of `kind` that begins with `prefix` (folded).
    bool holdsPrefix(ItemKind kind, const std::string& prefix, std::string* which) const;

    Locations locations_[kItemKindCount];   // one per ItemKind
};

}  // namespace kestrune
