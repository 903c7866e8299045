// The check the backup and the removal make again before they touch a
// selected item, whatever the scan reported: an item whose PATH or NAME text
// is refused, or that names a protected place, is neither backed up as an
// item nor removed. Both ask here, so that they always agree.
#pragma once

#include "definitions/parasite.h"
#include "safety/protected_places.h"

namespace kestrune {

// A file or folder item, by its `path` and `name`: an empty or refused text
// (itemPathUsable, itemPathRefused, itemNameRefused), a full path that is
// a protected folder (every folder that holds one included) or file, or one
// with a link in any of its parts, the last included (pathLeadsThroughLink):
// a link would lead the removal or the backup to another place. A file item
// naming a folder counts too: a failed delete would schedule it for the
// restart. Such items are reported as refused, like protected places.
bool pathItemRefused(const std::string& path, const std::string& name,
                     const ProtectedPlaces& places);

// A key item: its key (registryKeyPath) is protected below its hive. Whether
// the item names a place at all (a known hive, a key name) is the removal's
// own test; see registry_removal.h.
bool keyItemRefused(const RegistryKeyItem& item, const ProtectedPlaces& places);

// A value item: a value Windows cannot start or log on without, or one of
// Kestrune's settings. Other values of protected keys stay removable.
bool valueItemRefused(const RegistryValueItem& item, const ProtectedPlaces& places);

// A cookie item whose name can match no cookie file (cookieNameUsable false):
// a name without a letter or digit would match every file.
bool cookieItemRefused(const CookieItem& item);

}  // namespace kestrune
