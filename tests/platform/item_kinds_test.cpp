// The item kinds' words: each written as stored files and the console have
// them, and each read back to its kind.
#include "platform/item_kinds.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace ks = kestrune;

TEST(ItemKinds, EverySpellingReadsBackToItsKind)
{
    using ks::ItemKind;
    using ks::KindWord;
    const KindWord spellings[] = {KindWord::Tag, KindWord::Record, KindWord::Type, KindWord::Noun};
    const struct {
        ItemKind kind;
        const char* words[4];   // in the order of `spellings`
    } rows[] = {
        {ItemKind::RegistryKey, {"REGKEY", "REGKEY", "RegKey", "key"}},
        {ItemKind::RegistryValue, {"REGVALUE", "REGVALUE", "RegValue", "value"}},
        {ItemKind::File, {"FILE", "FILE", "File", "file"}},
        {ItemKind::Folder, {"DIR", "DIRECTORY", "Folder", "folder"}},
        {ItemKind::Cookie, {"COOKIE", "COOKIE", "Cookie", "cookie"}},
    };
    for (const auto& row : rows) {
        for (int s = 0; s < 4; ++s) {
            const std::string word = row.words[s];
            EXPECT_EQ(word, ks::kindWord(row.kind, spellings[s])) << word;
            ItemKind parsed = ItemKind::Cookie;
            EXPECT_TRUE(ks::kindFromWord(word, spellings[s], parsed)) << word;
            EXPECT_EQ(row.kind, parsed) << word;
        }
    }
    // Read as written only: another case, a word of another spelling, an
    // empty text or padding name no kind and leave `kind` as it was.
    for (const auto& wrong : {std::make_pair("dir", KindWord::Tag),
                              std::make_pair("DIR", KindWord::Record),
                              std::make_pair("Folder", KindWord::Noun),
                              std::make_pair("", KindWord::Type),
                              std::make_pair("FILE ", KindWord::Record)}) {
        ItemKind kind = ItemKind::RegistryValue;
        EXPECT_FALSE(ks::kindFromWord(wrong.first, wrong.second, kind)) << wrong.first;
        EXPECT_EQ(ItemKind::RegistryValue, kind);
    }
    EXPECT_STREQ("", ks::kindWord(static_cast<ItemKind>(5), KindWord::Type));
}
