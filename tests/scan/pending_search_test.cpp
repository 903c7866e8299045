// The name index of the drive search gives exactly what a pass over the whole
// pending list gives: the first not-yet-found item of the name, in list order.
#include "scan/pending_search.h"

#include "support/definitions_builder.h"

#include "platform/text_compare.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrune;
using namespace kestrune::testing_support;

namespace {

// The plain pass that the index replaces.
const PendingSearch* firstUnfoundByPass(ParasiteList& list,
                                        const std::vector<PendingSearch>& records,
                                        const std::string& name)
{
    for (const PendingSearch& r : records) {
        const FileItem& item = *list.at(r.parasiteIndex)->files[r.itemIndex];
        if (item.found != 1 && sameText(item.name, name))
            return &r;
    }
    return nullptr;
}

}  // namespace

TEST(PendingList, IndexAgreesWithAPassOverTheList)
{
    const char* names[] = {"a.dll", "A.DLL", "b.exe", "B.exe", "c", "\xC4\xD6.dll", "\xE4\xD6.DLL", "",
                           " a.dll", "a.dll "};
    std::mt19937 random(20240607);
    for (int round = 0; round < 20; ++round) {
        ParasiteList list;
        for (int p = 0; p < 30; ++p) {
            Parasite& parasite = addParasite(list, "P" + std::to_string(p));
            const int count = static_cast<int>(random() % 4);
            for (int i = 0; i < count; ++i) {
                FileItem& item = addFile(parasite, names[random() % std::size(names)], "");
                item.found = (random() % 7 == 0) ? 1 : 0;
            }
        }
        PendingList<FileItem> pending(list);
        for (int p = 0; p < list.count(); ++p) {
            for (int i = 0; i < static_cast<int>(list.at(p)->files.size()); ++i) {
                if (random() % 5 != 0)   // not every item is pending
                    pending.append(PendingSearch{p, i});
            }
        }
        // Entries met by a walk: each lookup that gives an item marks it found,
        // as matchPendingFile does.
        for (int step = 0; step < 200; ++step) {
            const std::string entry = names[random() % std::size(names)];
            const PendingSearch* expected = firstUnfoundByPass(list, pending.records(), entry);
            const PendingSearch* got = pending.firstUnfound(
                entry, [&](const PendingSearch& r) { return pending.item(r).found == 1; });
            ASSERT_EQ(expected, got) << "round " << round << " step " << step << " " << entry;
            if (got)
                pending.item(*got).found = 1;
        }
    }
}

TEST(PendingList, EmptyListFindsNothing)
{
    ParasiteList list;
    PendingList<DirectoryItem> pending(list);
    const auto never = [](const PendingSearch&) { return false; };
    EXPECT_EQ(nullptr, pending.firstUnfound("x", never));
    EXPECT_EQ(nullptr, pending.firstUnfound("", never));
}

TEST(DefinedIndex, ListsItemsOfANameInDefinitionOrder)
{
    ParasiteList list;
    Parasite& p0 = addParasite(list, "P0");
    addFolder(p0, "Dir", "C:\\a");
    addFolder(p0, "other", "C:\\a");
    addFolder(p0, "DIR", "C:\\b");
    Parasite& p1 = addParasite(list, "P1");
    addFolder(p1, "dir", "");
    DefinedIndex<DirectoryItem> index(list);
    const std::vector<PendingSearch>* named = index.named("dIr");
    ASSERT_NE(nullptr, named);
    ASSERT_EQ(3u, named->size());
    EXPECT_EQ(0, (*named)[0].itemIndex);
    EXPECT_EQ(2, (*named)[1].itemIndex);
    EXPECT_EQ(1, (*named)[2].parasiteIndex);
    EXPECT_EQ(nullptr, index.named("dir2"));
}
