// The existence tests and the location texts of registry items.
#include "scan/registry_location.h"

#include "definitions/registry_items.h"
#include "platform/handles.h"
#include "platform/hives.h"
#include "platform/fs_redirection.h"
#include "platform/registry_views.h"
#include "platform/registry_walk.h"
#include "platform/text_compare.h"

namespace kestrune {

namespace {

constexpr DWORD kValueQuerySize = 260;

bool openFullAccess(HKEY root, const std::string& path, RegistryKey& key)
{
    return key.open(root, path.c_str(), KEY_ALL_ACCESS | engineRegistryView()) == ERROR_SUCCESS;
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

namespace {

// True when `path` and `copy` below `root` open as one key.
bool sameKey(HKEY root, const std::string& path, const std::string& copy)
{
    RegistryKey own;
    RegistryKey other;
    if (own.open(root, path.c_str(), KEY_QUERY_VALUE | engineRegistryView()) != ERROR_SUCCESS ||
        other.open(root, copy.c_str(), KEY_QUERY_VALUE | engineRegistryView()) != ERROR_SUCCESS)
        return false;
    const std::wstring name = kernelKeyName(own.get());
    return !name.empty() && name == kernelKeyName(other.get());
}

}  // namespace

RegistryCheck checkRedirectedCopy(const std::string& main, const std::string& key,
                                  const std::string* valueName,
                                  const ProtectedPlaces& protectedPlaces, std::string& hive,
                                  std::string& copyKey)
{
    if (!runningOnWow64())
        return RegistryCheck::Absent;
    RegistryCheck result = RegistryCheck::Absent;
    const bool named = hiveFromName(main) != nullptr;
    for (const HiveRow& row : kHiveTable) {
        if (named ? !sameText(main, row.name) : false)
            continue;
        const std::string copy = wow64RedirectedPath(row.name, key);
        if (copy.empty())
            continue;
        const bool exists = valueName == nullptr ? keyExists(row.root, copy)
                                                 : valueExists(row.root, copy, *valueName);
        if (!exists || sameKey(row.root, key, copy))
            continue;
        const bool isProtected = valueName == nullptr
                                     ? protectedPlaces.isProtectedKey(row.name, copy)
                                     : protectedPlaces.isProtectedValue(row.name, copy, *valueName);
        if (!isProtected) {
            hive = row.name;
            copyKey = copy;
            return RegistryCheck::Present;
        }
        if (result == RegistryCheck::Absent) {
            hive = row.name;
            copyKey = copy;
            result = RegistryCheck::Protected;
        }
    }
    return result;
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
