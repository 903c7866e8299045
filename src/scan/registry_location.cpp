// The hive table, the existence tests and the location texts of registry items.
#include "scan/registry_location.h"

#include "platform/handles.h"
#include "platform/text_compare.h"

namespace kestrune {

const HiveRow kHiveTable[kHiveCount] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

namespace {

constexpr DWORD kValueQuerySize = 260;

bool openFullAccess(HKEY root, const std::string& path, RegistryKey& key)
{
    return key.open(root, path.c_str(), KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

// Tries `exists` under the hive that `main` names or, when it names none,
// under every hive in table order, passing over the hives in which
// `isProtected` holds. On the fallback's first unprotected hit, writes that
// hive's name into `main`.
template <typename Exists, typename IsProtected>
RegistryCheck checkInHives(std::string& main, Exists exists, IsProtected isProtected,
                           std::string& protectedHive)
{
    if (HKEY root = hiveFromName(main)) {
        if (!exists(root))
            return RegistryCheck::Absent;
        if (!isProtected(main))
            return RegistryCheck::Present;
        protectedHive = main;
        return RegistryCheck::Protected;
    }
    RegistryCheck result = RegistryCheck::Absent;
    for (const HiveRow& row : kHiveTable) {
        if (!exists(row.root))
            continue;
        if (!isProtected(row.name)) {
            main = row.name;
            return RegistryCheck::Present;
        }
        if (result == RegistryCheck::Absent) {
            protectedHive = row.name;
            result = RegistryCheck::Protected;
        }
    }
    return result;
}

}  // namespace

HKEY hiveFromName(const std::string& name)
{
    for (const HiveRow& row : kHiveTable) {
        if (sameText(name, row.name))
            return row.root;
    }
    return nullptr;
}

std::string hiveName(HKEY root)
{
    for (const HiveRow& row : kHiveTable) {
        if (row.root == root)
            return row.name;
    }
    return std::string();
}

bool keyExists(HKEY root, const std::string& path)
{
    RegistryKey key;
    return openFullAccess(root, path, key);
}

bool valueExists(HKEY root, const std::string& path, const std::string& valueName)
{
    RegistryKey key;
    if (!openFullAccess(root, path, key))
        return false;
    BYTE buffer[kValueQuerySize] = {};
    DWORD size = sizeof buffer;
    LONG result = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, buffer, &size);
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

bool hasKeyName(const RegistryKeyItem& item)
{
    return item.value.find_first_not_of('\\') != std::string::npos;
}

std::string registryKeyPath(const RegistryKeyItem& item)
{
    return item.sub + "\\" + item.value;
}

RegistryCheck checkRegistryKey(RegistryKeyItem& item, const ProtectedPlaces& protectedPlaces,
                               std::string& protectedHive)
{
    if (!hasKeyName(item))
        return RegistryCheck::Absent;
    const std::string path = registryKeyPath(item);
    return checkInHives(
        item.main, [&](HKEY root) { return keyExists(root, path); },
        [&](const std::string& hive) { return protectedPlaces.isProtectedKey(hive, path); },
        protectedHive);
}

RegistryCheck checkRegistryValue(RegistryValueItem& item, const ProtectedPlaces& protectedPlaces,
                                 std::string& protectedHive)
{
    return checkInHives(
        item.main, [&](HKEY root) { return valueExists(root, item.sub, item.value); },
        [&](const std::string& hive) {
            return protectedPlaces.isProtectedValue(hive, item.sub, item.value);
        },
        protectedHive);
}

std::string registryKeyLocation(const RegistryKeyItem& item)
{
    return item.main + "\\" + item.sub + "\\" + item.value;
}

std::string registryValueLocation(const RegistryValueItem& item)
{
    return item.main + "\\" + item.sub + " : " + item.value;
}

}  // namespace kestrune
