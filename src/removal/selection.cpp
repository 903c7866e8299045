// Marking the items behind the chosen finds.
#include "removal/selection.h"

namespace kestrune {

namespace {

template <typename Item>
void clearMarks(OwnedList<Item>& items)
{
    for (auto& item : items)
        item->selected = 0;
}

// Marks item `index` of `items`; true when it was not marked before.
template <typename Item>
bool mark(OwnedList<Item>& items, int index)
{
    if (index < 0 || index >= static_cast<int>(items.size()) || items[index]->selected == 1)
        return false;
    items[index]->selected = 1;
    return true;
}

}  // namespace

void clearSelection(ParasiteList& parasites)
{
    for (int p = 0; p < parasites.count(); ++p) {
        Parasite& parasite = *parasites.at(p);
        clearMarks(parasite.directories);
        clearMarks(parasite.files);
        clearMarks(parasite.cookies);
        clearMarks(parasite.registryKeys);
        clearMarks(parasite.registryValues);
    }
}

int markSelectedItems(ParasiteList& parasites, const std::vector<Find>& finds)
{
    clearSelection(parasites);
    int marked = 0;
    for (const Find& find : finds) {
        Parasite* parasite = parasites.at(find.parasiteIndex);
        if (parasite == nullptr)
            continue;
        bool added = false;
        switch (find.kind) {
        case ItemKind::RegistryKey:
            added = mark(parasite->registryKeys, find.itemIndex);
            break;
        case ItemKind::RegistryValue:
            added = mark(parasite->registryValues, find.itemIndex);
            break;
        case ItemKind::File:
            added = mark(parasite->files, find.itemIndex);
            break;
        case ItemKind::Folder:
            added = mark(parasite->directories, find.itemIndex);
            break;
        case ItemKind::Cookie:
            added = mark(parasite->cookies, find.itemIndex);
            break;
        }
        marked += added ? 1 : 0;
    }
    return marked;
}

}  // namespace kestrune
