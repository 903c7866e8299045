// The name indexes of the drive search and the folder scan.
//
// PendingList is pendingFiles or pendingFolders of one full scan: the file or
// folder items without a place, in definition order, each to be credited to
// the first directory entry of its name that the drive search meets. A lookup
// by entry name costs one hash probe on the folded name (foldedText, the key
// of sameText), not a pass over the whole list, and gives exactly what the
// pass would: the first item of that name, in list order, that is not yet
// found.
//
// DefinedIndex lists, by folded name, every file or folder item of every
// parasite in definition order, for the folder scan's comparison of an
// entry's parent folder with the items' `path`.
//
// Both hold indices into a ParasiteList that must not change while they live;
// the scan reads their items and never writes them.
#pragma once

#include "definitions/parasite.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kestrune {

// One item to be searched for: a position in the ParasiteList and in that
// parasite's `files` (pendingFiles) or `directories` (pendingFolders).
struct PendingSearch {
    int parasiteIndex;
    int itemIndex;
};

// The list of the items of one kind: Parasite::files for FileItem,
// Parasite::directories for DirectoryItem.
template <typename Item>
OwnedList<Item>& itemsOf(Parasite& parasite);
template <>
inline OwnedList<FileItem>& itemsOf<FileItem>(Parasite& parasite) { return parasite.files; }
template <>
inline OwnedList<DirectoryItem>& itemsOf<DirectoryItem>(Parasite& parasite)
{
    return parasite.directories;
}

template <typename Item>
class PendingList {
public:
    explicit PendingList(ParasiteList& parasites) : parasites_(parasites) {}
    PendingList(const PendingList&) = delete;
    PendingList& operator=(const PendingList&) = delete;

    // Appends the record; its item's name is read now and must not change.
    void append(PendingSearch record)
    {
        records_.push_back(record);
        Bucket& bucket = byName_[foldedName(item(record).name)];
        bucket.records.push_back(static_cast<int>(records_.size() - 1));
    }

    const std::vector<PendingSearch>& records() const { return records_; }
    // The folded names (foldedText) of all records, found or not: an entry
    // of any other name can take no item.
    std::unordered_set<std::string> foldedNames() const
    {
        std::unordered_set<std::string> names;
        for (const auto& named : byName_)
            names.insert(named.first);
        return names;
    }
    bool empty() const { return records_.empty(); }

    // The first record, in list order, whose item is named `entryName`
    // (without regard to case) and not yet found (`isFound` false for it);
    // nullptr when there is none.
    template <typename IsFound>
    const PendingSearch* firstUnfound(const std::string& entryName, IsFound isFound)
    {
        if (byName_.empty())
            return nullptr;
        auto it = byName_.find(foldedName(entryName));
        if (it == byName_.end())
            return nullptr;
        Bucket& bucket = it->second;
        // Items before the cursor were found; a find is never taken back
        // while a scan runs, so they need no second look.
        while (bucket.cursor < bucket.records.size() &&
               isFound(records_[bucket.records[bucket.cursor]]))
            ++bucket.cursor;
        if (bucket.cursor == bucket.records.size())
            return nullptr;
        return &records_[bucket.records[bucket.cursor]];
    }

    Item& item(const PendingSearch& record)
    {
        return *itemsOf<Item>(*parasites_.at(record.parasiteIndex))[record.itemIndex];
    }

private:
    static std::string foldedName(const std::string& name);

    struct Bucket {
        std::vector<int> records;   // positions in records_, ascending
        size_t cursor = 0;
    };
    ParasiteList& parasites_;
    std::vector<PendingSearch> records_;
    std::unordered_map<std::string, Bucket> byName_;
};

template <typename Item>
class DefinedIndex {
public:
    // Indexes every item of every parasite of `parasites` by name.
    explicit DefinedIndex(ParasiteList& parasites);
    DefinedIndex(const DefinedIndex&) = delete;
    DefinedIndex& operator=(const DefinedIndex&) = delete;

    // The items named `entryName` (without regard to case), in definition
    // order; nullptr when there is none.
    const std::vector<PendingSearch>* named(const std::string& entryName) const;

private:
    std::unordered_map<std::string, std::vector<PendingSearch>> byName_;
};

extern template class PendingList<FileItem>;
extern template class PendingList<DirectoryItem>;
extern template class DefinedIndex<FileItem>;
extern template class DefinedIndex<DirectoryItem>;

}  // namespace kestrune
