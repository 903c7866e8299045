// Deleting registry keys and values of the selected items.
#include "removal/registry_removal.h"

#include "definitions/registry_items.h"
#include "platform/handles.h"
#include "platform/hives.h"
#include "platform/registry_walk.h"
#include "removal/item_refusal.h"

namespace kestrune {

namespace {

std::string keyLogText(const std::string& main, const std::string& sub, const std::string& value)
{
    return main + "\\" + sub + "\\" + value;
}

RemovalOutcome registryOutcome(ItemKind kind, int parasiteIndex, int itemIndex, std::string text)
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
    RegistryKey key;
    switch (reachItemKey(root, path, nullptr, kTreeDeleteAccess, places, key)) {
    case ItemKey::Refused:
        outcome.result = RemovalResult::Refused;
        outcome.protectedPlace = true;
        return;
    case ItemKey::Link:
        deleteLinkKey(key.get());
        break;
    case ItemKey::Present:
        deleteKeyAndSubkeys(key.get());
        break;
    case ItemKey::Gone:
    case ItemKey::Failed:
        break;
    }
    key.reset();
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
    RegistryKey key;
    const ItemKey reached =
        reachItemKey(root, item.sub, &item.value, KEY_SET_VALUE, places, key);
    if (reached == ItemKey::Refused) {
        outcome.result = RemovalResult::Refused;
        outcome.protectedPlace = true;
        return;
    }
    if (reached == ItemKey::Present)
        RegDeleteValueW(key.get(), widenAnsi(item.value).c_str());
    key.reset();
    outcome.result = registryValueGone(root, item.sub, item.value) ? RemovalResult::Deleted
                                                                    : RemovalResult::Failed;
}

}  // namespace

ItemKey reachItemKey(HKEY root, const std::string& path, const std::string* value,
                     REGSAM access, const ProtectedPlaces& places, RegistryKey& key)
{
    const KeyOpening opening = openKeyWithoutLinks(root, path, access, key);
    switch (opening.walk) {
    case KeyWalk::Missing:
        return ItemKey::Gone;
    case KeyWalk::Failed:
        return ItemKey::Failed;
    case KeyWalk::ThroughLink:
        return ItemKey::Refused;
    case KeyWalk::Link:
        if (value != nullptr) {
            key.reset();
            return ItemKey::Refused;
        }
        return ItemKey::Link;
    case KeyWalk::Opened:
        break;
    }
    // The spelling was judged already; the real name may differ from it (the
    // classes root, a user's own hive under HKEY_USERS, a followed system link).
    std::string hive;
    std::string real;
    if (keyRealName(key.get(), hive, real) &&
        (value == nullptr ? places.isProtectedKey(hive, real)
                          : places.isProtectedValue(hive, real, *value))) {
        key.reset();
        return ItemKey::Refused;
    }
    return ItemKey::Present;
}

bool registryKeyGone(HKEY root, const std::string& path)
{
    RegistryKey key;
    return openKeyWithoutLinks(root, path, 0, key).walk == KeyWalk::Missing;
}

bool registryValueGone(HKEY root, const std::string& path, const std::string& name)
{
    RegistryKey key;
    const KeyOpening opening = openKeyWithoutLinks(root, path, 0, key);
    if (opening.walk == KeyWalk::Missing)
        return true;
    if (opening.walk != KeyWalk::Opened)
        return false;
    return RegQueryValueExW(key.get(), widenAnsi(name).c_str(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_FILE_NOT_FOUND;
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
                registryOutcome(ItemKind::RegistryKey, p, static_cast<int>(i),
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
                registryOutcome(ItemKind::RegistryValue, p, static_cast<int>(i),
                                keyLogText(item.main, item.sub, item.value));
            removeValue(item, run.places(), outcome);
            run.record(parasite, outcome);
        }
    }
}

}  // namespace kestrune
