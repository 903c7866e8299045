// The items the backup and the removal refuse.
#include "removal/item_refusal.h"

#include "definitions/registry_items.h"
#include "platform/cookie_match.h"
#include "platform/path_links.h"
#include "removal/file_removal.h"

namespace kestrune {

bool pathItemRefused(const std::string& path, const std::string& name,
                     const ProtectedPlaces& places)
{
    if (!itemPathUsable(path, name) || itemPathRefused(path) || itemNameRefused(name))
        return true;
    const std::string full = itemFullPath(path, name);
    return places.isProtectedFolder(full) || places.isProtectedFile(full) ||
           pathLeadsThroughLink(full);
}

bool keyItemRefused(const RegistryKeyItem& item, const ProtectedPlaces& places)
{
    return places.isProtectedKey(item.main, registryKeyPath(item));
}

bool valueItemRefused(const RegistryValueItem& item, const ProtectedPlaces& places)
{
    return places.isProtectedValue(item.main, item.sub, item.value);
}

bool cookieItemRefused(const CookieItem& item)
{
    return !cookieNameUsable(item.name);
}

}  // namespace kestrune
