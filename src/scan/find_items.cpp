// The removal's items, one per chosen find.
#include "scan/find_items.h"

#include "platform/text_compare.h"

#include <set>
#include <string>
#include <tuple>

namespace kestrune {

namespace {

const ItemFind* heldFind(const ScanResults* results, const Find& find)
{
    if (results == nullptr)
        return nullptr;
    for (const ItemFind& held :
         results->findsOf(ItemRef{find.parasiteIndex, find.kind, find.itemIndex})) {
        if (sameText(held.location, find.location))
            return &held;
    }
    return nullptr;
}

// Puts the copy of `items[index]` at `place`, when given, onto `into`; false
// when the index lies outside the list.
template <typename Item, typename Place>
bool copyItem(const OwnedList<Item>& items, int index, const ItemFind* place, Place placeIt,
              OwnedList<Item>& into)
{
    if (index < 0 || index >= static_cast<int>(items.size()))
        return false;
    std::unique_ptr<Item> copy(new Item(*items[index]));
    if (place != nullptr)
        placeIt(*copy, *place);
    copy->found = 1;
    copy->selected = 1;
    into.push_back(std::move(copy));
    return true;
}

// The key item at a registry find's key: its parent as `sub`, its last part
// as `value`, so that the item's key path is the find's key.
void placeKey(RegistryKeyItem& item, const ItemFind& find)
{
    const size_t last = find.key.rfind('\\');
    item.main = find.hive;
    item.sub = last == std::string::npos ? std::string() : find.key.substr(0, last);
    item.value = last == std::string::npos ? find.key : find.key.substr(last + 1);
}

void placeValue(RegistryValueItem& item, const ItemFind& find)
{
    item.main = find.hive;
    item.sub = find.key;
    item.value = find.value;
}

template <typename Item>
void placePath(Item& item, const ItemFind& find)
{
    item.path = find.folder;
}

void placeCookie(CookieItem&, const ItemFind&) {}

}  // namespace

std::vector<Find> itemsOfFinds(const ParasiteList& parasites, const ScanResults* results,
                               const std::vector<Find>& finds, ParasiteList& items)
{
    items.clear();
    for (int p = 0; p < parasites.count(); ++p) {
        const Parasite& parasite = *parasites.at(p);
        std::unique_ptr<Parasite> copy(new Parasite);
        copy->name = parasite.name;
        copy->description = parasite.description;
        copy->status = parasite.status;
        copy->dangerLevel = parasite.dangerLevel;
        items.append(std::move(copy));
    }
    std::vector<Find> placed;
    std::set<std::tuple<int, int, int, std::string>> seen;
    for (const Find& find : finds) {
        const Parasite* parasite = parasites.at(find.parasiteIndex);
        if (parasite == nullptr ||
            !seen.insert(std::make_tuple(find.parasiteIndex, static_cast<int>(find.kind),
                                         find.itemIndex, foldedText(find.location)))
                 .second)
            continue;
        Parasite& into = *items.at(find.parasiteIndex);
        const ItemFind* place = heldFind(results, find);
        Find moved = find;
        bool copied = false;
        switch (find.kind) {
        case ItemKind::RegistryKey:
            moved.itemIndex = static_cast<int>(into.registryKeys.size());
            copied = copyItem(parasite->registryKeys, find.itemIndex, place, placeKey,
                              into.registryKeys);
            break;
        case ItemKind::RegistryValue:
            moved.itemIndex = static_cast<int>(into.registryValues.size());
            copied = copyItem(parasite->registryValues, find.itemIndex, place, placeValue,
                              into.registryValues);
            break;
        case ItemKind::File:
            moved.itemIndex = static_cast<int>(into.files.size());
            copied = copyItem(parasite->files, find.itemIndex, place, placePath<FileItem>,
                              into.files);
            break;
        case ItemKind::Folder:
            moved.itemIndex = static_cast<int>(into.directories.size());
            copied = copyItem(parasite->directories, find.itemIndex, place,
                              placePath<DirectoryItem>, into.directories);
            break;
        case ItemKind::Cookie:
            moved.itemIndex = static_cast<int>(into.cookies.size());
            copied = copyItem(parasite->cookies, find.itemIndex, place, placeCookie, into.cookies);
            break;
        }
        if (copied)
            placed.push_back(moved);
    }
    return placed;
}

void takeStatuses(const ParasiteList& items, ParasiteList& parasites)
{
    for (int p = 0; p < parasites.count() && p < items.count(); ++p)
        parasites.at(p)->status = items.at(p)->status;
}

}  // namespace kestrune
