// Find: one item that a scan found, as the scan reports it and as a result row
// keeps it, with the words of the row's Type and Danger columns. The removal acts on exactly the items named by the finds behind
// the checked rows.
#pragma once

#include <string>

namespace kestrune {

// The kind of item found, which also names the parasite's list that
// `itemIndex` points into.
enum class FindKind {
    RegistryKey,     // Parasite::registryKeys
    RegistryValue,   // Parasite::registryValues
    File,            // Parasite::files
    Folder,          // Parasite::directories
    Cookie,          // Parasite::cookies
};

struct Find {
    FindKind kind = FindKind::File;
    int parasiteIndex = -1;   // position in the ParasiteList that was scanned
    int itemIndex = -1;       // position in that parasite's list of `kind`
    // The Location text of the row: "main\sub\value" for a key, "main\sub :
    // value" for a value, the full path of a file or folder, the cookie item's
    // name as defined.
    std::string location;
};

// The Type word of a result row: "RegKey", "RegValue", "File", "Folder",
// "Cookie".
const char* typeWord(FindKind kind);

// The Danger text of a result row: "Not Critical" (0), "Dangerous" (1),
// "Severe" (2); the empty text for any other level, -1 (no danger level
// given) included.
std::string dangerName(int level);

}  // namespace kestrune
