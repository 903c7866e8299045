// The registry half of a restore: each .reg export of a backup read once, as
// regedit reads it (readRegExport), checked against its manifest record and
// the protected places, and later written back by Kestrune itself, key by key
// and value by value through the link-safe walk, with each value's exact type
// and bytes. What was checked is exactly what is written; regedit imports
// nothing.
#pragma once

#include "platform/reg_export.h"
#include "removal/backup_reader.h"
#include "safety/protected_places.h"

#include <string>

namespace kestrune {

// Reads `bytes`, the export of the Key or Value record `item`, into `parsed`
// and checks it. Empty when it may be restored; otherwise why the archive is
// damaged: the export breaks regedit's rules or deletes something (see
// reg_export.h), holds no key, or holds a key that is not `item.key` or below
// it; for a key record also a protected key or value among its keys.
std::string checkRegistryExport(const BackupItem& item, const std::string& bytes,
                                const ProtectedPlaces& places, RegExport& parsed);

// Writes back what `parsed` (checked by checkRegistryExport) holds for
// `item`: for a key record every key and value of it, for a value record only
// the one value the record names. Each key is opened or created with
// createKeyWithoutLinks. False, with `reason`, when the value is not in the
// export, a key is reached through a registry link or cannot be created, its
// real name is protected, or a value cannot be written (whatever came before
// it stays written).
bool restoreRegistryExport(const BackupItem& item, const RegExport& parsed,
                           const ProtectedPlaces& places, std::string& reason);

}  // namespace kestrune
