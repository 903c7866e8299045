// The name indexes of the drive search and the folder scan.
#include "scan/pending_search.h"

#include "platform/text_compare.h"

namespace kestrune {

template <typename Item>
std::string PendingList<Item>::foldedName(const std::string& name)
{
    return foldedText(name);
}

template <typename Item>
DefinedIndex<Item>::DefinedIndex(ParasiteList& parasites)
{
    for (int p = 0; p < parasites.count(); ++p) {
        OwnedList<Item>& items = itemsOf<Item>(*parasites.at(p));
        for (int i = 0; i < static_cast<int>(items.size()); ++i)
            byName_[foldedText(items[i]->name)].push_back(PendingSearch{p, i});
    }
}

template <typename Item>
const std::vector<PendingSearch>* DefinedIndex<Item>::named(const std::string& entryName) const
{
    auto it = byName_.find(foldedText(entryName));
    return it == byName_.end() ? nullptr : &it->second;
}

template class PendingList<FileItem>;
template class PendingList<DirectoryItem>;
template class DefinedIndex<FileItem>;
template class DefinedIndex<DirectoryItem>;

}  // namespace kestrune
