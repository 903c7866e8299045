// The names of the five registry hives that a reference file may give as an
// item's MAIN, in table order. Free of Windows headers, so that the checker
// of the host build can use them too; hives.h pairs them with their keys.
#pragma once

namespace kestrune {

constexpr int kHiveCount = 5;

// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
// HKEY_CURRENT_CONFIG: the order of the scan's fallback search. No other
// root and no abbreviation is known.
inline constexpr const char* kHiveNames[kHiveCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_CURRENT_CONFIG",
};

}  // namespace kestrune
