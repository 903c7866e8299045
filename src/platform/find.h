// Find: one item that a scan found, as the scan reports it and as a result row
// keeps it, with the words of the row's Danger column (its Type word is the
// kind's, item_kinds.h). The removal acts on exactly the items named by the
// finds behind the checked rows.
#pragma once

#include "platform/item_kinds.h"

#include <string>

namespace kestrune {

struct Find {
    // The kind of item found, which also names the parasite's list that
    // `itemIndex` points into.
    ItemKind kind = ItemKind::File;
    int parasiteIndex = -1;   // position in the ParasiteList that was scanned
    int itemIndex = -1;       // position in that parasite's list of `kind`
    // The Location text of the row: "main\sub\value" for a key, "main\sub :
    // value" for a value, the full path of a file or folder, the cookie item's
    // name as defined.
    std::string location;
};

// The Danger text of a result row: "Not Critical" (0), "Dangerous" (1),
// "Severe" (2); the empty text for any other level, -1 (no danger level
// given) included.
std::string dangerName(int level);

}  // namespace kestrune
