// A scan's results, apart from the definitions: for each item found (keyed by
// parasite index, kind and item index) the finds of that item, each with its
// real place. One item can have several finds (a key in both registry views,
// a file in System32 and in SysWOW64). Owned by whoever runs the scan (the
// main window, the console tool, the tests); the scan thread alone writes it
// while the scan runs, its owner reads it once the scan has ended.
#pragma once

#include "platform/find.h"

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace kestrune {

// One find of one item.
struct ItemFind {
    ItemKind kind = ItemKind::File;
    // The Location text of the find, as the scan reports it.
    std::string location;
    // Registry finds: the hive's table name, the key's path below it (a key
    // item's whole key; a value item's key) and a value item's value name,
    // with the view the key was found in (KEY_WOW64_64KEY on 64-bit Windows,
    // 0 on 32-bit Windows).
    std::string hive;
    std::string key;
    std::string value;
    REGSAM view = 0;
    // File and folder finds: the folder the find lies in, as found.
    std::string folder;
};

// An item of the definitions, by its parasite's index, kind and index in
// that parasite's list of its kind.
struct ItemRef {
    int parasiteIndex = -1;
    ItemKind kind = ItemKind::File;
    int itemIndex = -1;
    bool operator<(const ItemRef& other) const
    {
        return std::make_tuple(parasiteIndex, static_cast<int>(kind), itemIndex) <
               std::make_tuple(other.parasiteIndex, static_cast<int>(other.kind), other.itemIndex);
    }
};

class ScanResults {
public:
    // Adds `find` to the finds of `item`; false (nothing added) when the
    // item holds a find of the same kind, view and location (without regard
    // to case) already: one place reached twice is one find.
    bool add(const ItemRef& item, const ItemFind& find);
    // The finds of `item` in the order they were added; empty when none.
    const std::vector<ItemFind>& findsOf(const ItemRef& item) const;
    bool found(const ItemRef& item) const { return !findsOf(item).empty(); }
    // The items found, ordered by parasite, kind and index.
    std::vector<ItemRef> items() const;
    // The number of finds of every item.
    size_t findCount() const;
    void clear() { finds_.clear(); }

private:
    std::map<ItemRef, std::vector<ItemFind>> finds_;
};

}  // namespace kestrune
