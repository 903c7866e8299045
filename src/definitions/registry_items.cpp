// Key names and key paths of registry key items.
#include "definitions/registry_items.h"

namespace kestrune {

bool hasKeyName(const RegistryKeyItem& item)
{
    return item.value.find_first_not_of('\\') != std::string::npos;
}

std::string registryKeyPath(const RegistryKeyItem& item)
{
    return item.sub + "\\" + item.value;
}

}  // namespace kestrune
