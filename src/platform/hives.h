// The hive table: each hive name of hive_names.h with its root key, and the
// lookups between the two. Shared by the scan, the backup and the removal.
#pragma once

#include "platform/hive_names.h"

#include <windows.h>

#include <string>

namespace kestrune {

struct HiveRow {
    const char* name;   // "HKEY_CLASSES_ROOT", ...
    HKEY root;
};

// The five hives in the order of kHiveNames.
extern const HiveRow kHiveTable[kHiveCount];

// The root key of the hive whose table name equals `name` as a whole string
// without regard to case (sameText); nullptr when none does.
HKEY hiveFromName(const std::string& name);

// The table name of `root` as spelled in the table; empty for any other key.
std::string hiveName(HKEY root);

}  // namespace kestrune
