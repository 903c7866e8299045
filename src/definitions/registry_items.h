// What a registry key item of a parasite names: whether it names a key at
// all, and the path of that key below its hive. The scan, the backup and the
// removal all ask here, so that they agree on which key an item stands for.
#pragma once

#include "definitions/parasite.h"

#include <string>

namespace kestrune {

// True when the item's `value` names a key: not empty and not made of
// backslashes only. Without a name, `sub` + "\" opens as `sub` itself, so such
// an item would stand for its parent key; the scan reports it as not found and
// the removal must refuse it.
bool hasKeyName(const RegistryKeyItem& item);

// The key path of a RegistryKeyItem: `sub`, a backslash, `value` (also when
// `sub` is empty).
std::string registryKeyPath(const RegistryKeyItem& item);

}  // namespace kestrune
