// Deleting registry keys and values of the selected items.
#include "removal/registry_removal.h"

#include "definitions/registry_items.h"
#include "platform/handles.h"
#include "platform/hives.h"
#include "removal/item_refusal.h"

namespace kestrune {

namespace {

// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY: enough to delete a value.
constexpr REGSAM kValueDeleteAccess = 0x2001F;
// RegEnumKeyA's name buffer.
constexpr DWORD kSubkeyNameBuffer = 299;

std::string keyLogText(const std::string& main, const std::string& sub, const std::string& value)
{
    return main + "\\" + sub + "\\" + value;
}

RemovalOutcome registryOutcome(FindKind kind, int parasiteIndex, int itemIndex, std::string text)
{
    RemovalOutcome outcome;
    outcome.kind = kind;
    outcome.parasiteIndex = parasiteIndex;
    outcome.itemIndex = itemIndex;
    outcome.path = std::move(text);
    return outcome;
}

void removeKey(const RegistryKeyItem& item, const RemovalRun& run, RemovalOutcome& outcome)
{
    const ProtectedPlaces& places = run.places();
    HKEY root = hiveFromName(item.main);
    if (root == nullptr || !hasKeyName(item)) {
        outcome.result = RemovalResult::Refused;
        return;
    }
    if (keyItemRefused(item, places)) {
        outcome.result = RemovalResult::Refused;
        outcome.protectedPlace = true;
        return;
    }
    if (run.ignored() != nullptr &&
        run.ignored()->holdsBelowKey(keyLogText(item.main, item.sub, item.value),
                                     &outcome.ignoredInside)) {
        outcome.result = RemovalResult::Refused;
        return;
    }
    const std::string path = registryKeyPath(item);
    deleteKeyTree(root, path);
    outcome.result = registryKeyGone(root, path) ? RemovalResult::Deleted : RemovalResult::Failed;
}

void removeValue(const RegistryValueItem& item, const ProtectedPlaces& places,
                 RemovalOutcome& outcome)
{
    HKEY root = hiveFromName(item.main);
    if (root == nullptr) {
        outcome.result = RemovalResult::Refused;
        return;
    }
    if (valueItemRefused(item, places)) {
        outcome.result = RemovalResult::Refused;
        outcome.protectedPlace = true;
        return;
    }
    deleteRegistryValue(root, item.sub, item.value);
    outcome.result = registryValueGone(root, item.sub, item.value) ? RemovalResult::Deleted
                                                                    : RemovalResult::Failed;
}

}  // namespace

LONG deleteKeyTree(HKEY parent, const std::string& path)
{
    HKEY opened = nullptr;
    LONG code = RegOpenKeyA(parent, path.c_str(), &opened);
    if (code != ERROR_SUCCESS)
        return code;
    RegistryKey key(opened);
    char name[kSubkeyNameBuffer];
    for (;;) {
        // Index 0 each time: every successful call removes the subkey just listed.
        code = RegEnumKeyA(key.get(), 0, name, kSubkeyNameBuffer);
        if (code != ERROR_SUCCESS)
            break;
        code = deleteKeyTree(key.get(), name);
        if (code != ERROR_SUCCESS)
            return code;
    }
    if (code != ERROR_NO_MORE_ITEMS && code != ERROR_BADKEY)
        return code;
    code = RegDeleteKeyA(parent, path.c_str());
    key.reset();
    return code;
}

HKEY openKey(HKEY root, const std::string& path, REGSAM access)
{
    RegistryKey key;
    if (key.open(root, path.c_str(), access) != ERROR_SUCCESS)
        return nullptr;
    return key.release();
}

LONG deleteRegistryValue(HKEY root, const std::string& path, const std::string& name)
{
    RegistryKey key;
    LONG code = key.open(root, path.c_str(), kValueDeleteAccess);
    if (code != ERROR_SUCCESS)
        return code;
    return RegDeleteValueA(key.get(), name.c_str());
}

bool registryKeyGone(HKEY root, const std::string& path)
{
    RegistryKey key;
    return key.open(root, path.c_str(), KEY_READ) == ERROR_FILE_NOT_FOUND;
}

bool registryValueGone(HKEY root, const std::string& path, const std::string& name)
{
    RegistryKey key;
    LONG code = key.open(root, path.c_str(), KEY_QUERY_VALUE);
    if (code == ERROR_FILE_NOT_FOUND)
        return true;
    if (code != ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
}

void removeRegistryItems(ParasiteList& parasites, RemovalRun& run)
{
    for (int p = 0; p < parasites.count(); ++p) {
        Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.registryKeys.size(); ++i) {
            const RegistryKeyItem& item = *parasite.registryKeys[i];
            if (item.selected != 1)
                continue;
            RemovalOutcome outcome =
                registryOutcome(FindKind::RegistryKey, p, static_cast<int>(i),
                                keyLogText(item.main, item.sub, item.value));
            removeKey(item, run, outcome);
            run.record(parasite, outcome);
        }
    }
    for (int p = 0; p < parasites.count(); ++p) {
        Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.registryValues.size(); ++i) {
            const RegistryValueItem& item = *parasite.registryValues[i];
            if (item.selected != 1)
                continue;
            RemovalOutcome outcome =
                registryOutcome(FindKind::RegistryValue, p, static_cast<int>(i),
                                keyLogText(item.main, item.sub, item.value));
            removeValue(item, run.places(), outcome);
            run.record(parasite, outcome);
        }
    }
}

}  // namespace kestrune
