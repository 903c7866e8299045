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

// Tries `test` under every hive in table order; on the first success writes
// that hive's name into `main` and returns true.
template <typename Test>
bool searchAllHives(std::string& main, Test test)
{
    for (const HiveRow& row : kHiveTable) {
        if (test(row.root)) {
            main = row.name;
            return true;
        }
    }
    return false;
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

bool checkRegistryKey(RegistryKeyItem& item)
{
    if (!hasKeyName(item))
        return false;
    const std::string path = registryKeyPath(item);
    if (HKEY root = hiveFromName(item.main))
        return keyExists(root, path);
    return searchAllHives(item.main, [&](HKEY root) { return keyExists(root, path); });
}

bool checkRegistryValue(RegistryValueItem& item)
{
    if (HKEY root = hiveFromName(item.main))
        return valueExists(root, item.sub, item.value);
    return searchAllHives(item.main,
                          [&](HKEY root) { return valueExists(root, item.sub, item.value); });
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
