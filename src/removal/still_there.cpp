// Setting aside the selected items that are gone.
#include "removal/still_there.h"

#include "definitions/registry_items.h"
#include "platform/hives.h"
#include "removal/cookie_files.h"
#include "removal/file_removal.h"
#include "removal/item_refusal.h"
#include "removal/registry_removal.h"

namespace kestrune {

namespace {

std::string keyText(const std::string& main, const std::string& sub, const std::string& value)
{
    return main + "\\" + sub + "\\" + value;
}

template <typename Item, typename Gone, typename Describe>
void setAside(ParasiteList& parasites, OwnedList<Item> Parasite::*list, ItemKind kind, Gone gone,
              Describe describe, std::vector<RemovalOutcome>& outcomes)
{
    for (int p = 0; p < parasites.count(); ++p) {
        OwnedList<Item>& items = parasites.at(p)->*list;
        for (size_t i = 0; i < items.size(); ++i) {
            Item& item = *items[i];
            if (item.selected != 1 || !gone(item))
                continue;
            item.selected = 0;
            RemovalOutcome outcome;
            outcome.kind = kind;
            outcome.result = RemovalResult::Gone;
            outcome.parasiteIndex = p;
            outcome.itemIndex = static_cast<int>(i);
            describe(item, outcome);
            outcomes.push_back(outcome);
        }
    }
}

}  // namespace

bool fileItemGone(const FileItem& item, const ProtectedPlaces& places)
{
    return !pathItemRefused(item.path, item.name, places) &&
           entryGone(itemFullPath(item.path, item.name));
}

bool folderItemGone(const DirectoryItem& item, const ProtectedPlaces& places)
{
    return !pathItemRefused(item.path, item.name, places) &&
           folderGone(itemFullPath(item.path, item.name));
}

bool keyItemGone(const RegistryKeyItem& item, const ProtectedPlaces& places)
{
    HKEY root = hiveFromName(item.main);
    return root != nullptr && hasKeyName(item) && !keyItemRefused(item, places) &&
           registryKeyGone(root, registryKeyPath(item));
}

bool valueItemGone(const RegistryValueItem& item, const ProtectedPlaces& places)
{
    HKEY root = hiveFromName(item.main);
    return root != nullptr && !valueItemRefused(item, places) &&
           registryValueGone(root, item.sub, item.value);
}

bool cookieItemGone(const CookieItem& item, const std::string& cookiesFolder)
{
    return !cookieItemRefused(item) && matchingCookieFiles(cookiesFolder, item.name).empty();
}

std::vector<RemovalOutcome> setAsideGoneItems(ParasiteList& parasites,
                                              const ProtectedPlaces& places,
                                              const std::string& cookiesFolder)
{
    std::vector<RemovalOutcome> outcomes;
    const auto registryText = [](const auto& item, RemovalOutcome& outcome) {
        outcome.path = keyText(item.main, item.sub, item.value);
    };
    const auto pathText = [](const auto& item, RemovalOutcome& outcome) {
        outcome.name = item.name;
        outcome.path = item.path;
    };
    setAside(parasites, &Parasite::registryKeys, ItemKind::RegistryKey,
             [&](const RegistryKeyItem& item) { return keyItemGone(item, places); }, registryText,
             outcomes);
    setAside(parasites, &Parasite::registryValues, ItemKind::RegistryValue,
             [&](const RegistryValueItem& item) { return valueItemGone(item, places); },
             registryText, outcomes);
    setAside(parasites, &Parasite::files, ItemKind::File,
             [&](const FileItem& item) { return fileItemGone(item, places); }, pathText, outcomes);
    setAside(parasites, &Parasite::directories, ItemKind::Folder,
             [&](const DirectoryItem& item) { return folderItemGone(item, places); }, pathText,
             outcomes);
    setAside(parasites, &Parasite::cookies, ItemKind::Cookie,
             [&](const CookieItem& item) { return cookieItemGone(item, cookiesFolder); },
             [](const CookieItem& item, RemovalOutcome& outcome) { outcome.name = item.name; },
             outcomes);
    return outcomes;
}

int recordGoneItems(ParasiteList& parasites, RemovalRun& run, const std::string& cookiesFolder)
{
    const std::vector<RemovalOutcome> gone = setAsideGoneItems(parasites, run.places(), cookiesFolder);
    for (const RemovalOutcome& outcome : gone)
        run.record(*parasites.at(outcome.parasiteIndex), outcome);
    return static_cast<int>(gone.size());
}

int selectedItemCount(const ParasiteList& parasites)
{
    int count = 0;
    for (int p = 0; p < parasites.count(); ++p) {
        const Parasite& parasite = *parasites.at(p);
        for (const auto& item : parasite.registryKeys)
            count += item->selected == 1 ? 1 : 0;
        for (const auto& item : parasite.registryValues)
            count += item->selected == 1 ? 1 : 0;
        for (const auto& item : parasite.files)
            count += item->selected == 1 ? 1 : 0;
        for (const auto& item : parasite.directories)
            count += item->selected == 1 ? 1 : 0;
        for (const auto& item : parasite.cookies)
            count += item->selected == 1 ? 1 : 0;
    }
    return count;
}

}  // namespace kestrune
