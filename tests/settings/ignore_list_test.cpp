// The ignore list against the test prefix's registry: awkward locations
// round-trip, matching ignores case but not kind, removal brings an entry
// back out, the defaults come first on a fresh profile; and the set's
// questions about what a folder or key holds.
#include "settings/ignore_list.h"

#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

namespace ks = kestrune;
using ks::ItemKind;

namespace {

class IgnoreList : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Kestrune"); }
};

ks::IgnoreEntry entry(ItemKind kind, const std::string& location,
                      const std::string& parasite = "P", const std::string& added = "2026-01-02 03:04:05")
{
    ks::IgnoreEntry e;
    e.kind = kind;
    e.location = location;
    e.parasite = parasite;
    e.added = added;
    return e;
}

}  // namespace

TEST_F(IgnoreList, EntriesRoundTripWhateverTheirTextAndMatchWithoutCase)
{
    const std::string awkward[] = {
        "C:\\Tools\\a,b \"quoted\"\\helper.exe",
        "HKEY_CURRENT_USER\\Software\\x\ty%41%\\ : va\\lue",
        "C:\\" + std::string(247, 'L'),   // 250 characters
        "C:\\" + [] { std::string t; for (int i = 0; i < 300; ++i) t += "\xE4\xB8\xAD"; return t; }(),
    };   // the last: 300 Chinese characters, longer in UTF-8 than in UTF-16
    ASSERT_TRUE(ks::settingsMissing());
    EXPECT_EQ(ks::IgnoreAdd::Added, ks::addIgnoreEntry(entry(ItemKind::File, awkward[0], "a\tb%")));
    // The defaults are written first, as on the program's first run.
    std::string version;
    EXPECT_TRUE(ks::readSetting("pv", version));
    EXPECT_EQ(ks::IgnoreAdd::Added,
              ks::addIgnoreEntry(entry(ItemKind::RegistryValue, awkward[1], "")));
    EXPECT_EQ(ks::IgnoreAdd::Added, ks::addIgnoreEntry(entry(ItemKind::Folder, awkward[2])));
    EXPECT_EQ(ks::IgnoreAdd::Added, ks::addIgnoreEntry(entry(ItemKind::Cookie, awkward[3], "", "")));
    EXPECT_EQ(ks::IgnoreAdd::AlreadyListed,
              ks::addIgnoreEntry(entry(ItemKind::File, "c:\\TOOLS\\A,B \"QUOTED\"\\HELPER.EXE")));
    EXPECT_EQ(ks::IgnoreAdd::Failed, ks::addIgnoreEntry(entry(ItemKind::File, "")));

    const std::vector<ks::IgnoreEntry> loaded = ks::loadIgnoreEntries();
    ASSERT_EQ(4u, loaded.size());
    // Ordered by kind, then location.
    EXPECT_EQ(ItemKind::RegistryValue, loaded[0].kind);
    EXPECT_EQ(awkward[1], loaded[0].location);
    EXPECT_EQ("", loaded[0].parasite);
    EXPECT_EQ(ItemKind::File, loaded[1].kind);
    EXPECT_EQ(awkward[0], loaded[1].location);
    EXPECT_EQ("a\tb%", loaded[1].parasite);
    EXPECT_EQ("2026-01-02 03:04:05", loaded[1].added);
    EXPECT_EQ(awkward[2], loaded[2].location);
    EXPECT_EQ(ItemKind::Cookie, loaded[3].kind);
    EXPECT_EQ(awkward[3], loaded[3].location);
    EXPECT_EQ(19u, loaded[3].added.size());   // dated when added

    const ks::IgnoreSet set = ks::IgnoreSet::load();
    EXPECT_TRUE(set.contains(ItemKind::Folder, "c:\\" + std::string(247, 'l')));
    EXPECT_FALSE(set.contains(ItemKind::File, awkward[2]));   // kind matters
    EXPECT_FALSE(set.contains(ItemKind::File, awkward[0] + " "));

    EXPECT_EQ(0, ks::removeIgnoreEntries(ItemKind::Folder, awkward[0]));
    EXPECT_EQ(1, ks::removeIgnoreEntries(ItemKind::File, "C:\\tools\\A,B \"quoted\"\\helper.EXE"));
    EXPECT_FALSE(ks::IgnoreSet::load().contains(ItemKind::File, awkward[0]));
    EXPECT_EQ(3u, ks::loadIgnoreEntries().size());
}

TEST(IgnoreWords, TypeWordsInAnyCase)
{
    const struct {
        const char* word;
        bool known;
        ItemKind kind;
    } cases[] = {
        {"File", true, ItemKind::File},          {"FOLDER", true, ItemKind::Folder},
        {"regkey", true, ItemKind::RegistryKey}, {"RegValue", true, ItemKind::RegistryValue},
        {"cOOKIE", true, ItemKind::Cookie},      {"Files", false, ItemKind::File},
        {"", false, ItemKind::File},             {"Registry", false, ItemKind::File},
    };
    for (const auto& c : cases) {
        ItemKind kind = ItemKind::File;
        EXPECT_EQ(c.known, ks::kindFromTypeWord(c.word, kind)) << c.word;
        EXPECT_EQ(c.kind, kind) << c.word;
    }
}

TEST(IgnoreSetHolds, WhatAFolderOrKeyWouldTakeWithIt)
{
    ks::IgnoreSet set;
    set.add(ItemKind::File, "C:\\Keep\\Sub\\mine.exe");
    set.add(ItemKind::Folder, "C:\\Dir");
    set.add(ItemKind::RegistryValue, "HKEY_CURRENT_USER\\Software\\Keep\\Inner : v");
    set.add(ItemKind::RegistryKey, "HKEY_CURRENT_USER\\Software\\Key\\Sub");
    set.add(ItemKind::RegistryValue, "HKEY_CURRENT_USER\\Software\\Own : w");
    const struct {
        bool folder;   // else a key
        const char* place;
        const char* held;   // empty: nothing
    } cases[] = {
        {true, "c:\\keep", "C:\\Keep\\Sub\\mine.exe"},
        {true, "C:\\Keep\\sub\\", "C:\\Keep\\Sub\\mine.exe"},
        {true, "C:\\dir", "C:\\Dir"},
        {true, "C:\\Kee", ""},
        {true, "C:\\Keep\\Sub\\mine", ""},
        {false, "HKEY_CURRENT_USER\\Software\\Keep", "HKEY_CURRENT_USER\\Software\\Keep\\Inner : v"},
        {false, "hkey_current_user\\software\\keep\\inner", "HKEY_CURRENT_USER\\Software\\Keep\\Inner : v"},
        {false, "HKEY_CURRENT_USER\\Software\\Key", "HKEY_CURRENT_USER\\Software\\Key\\Sub"},
        {false, "HKEY_CURRENT_USER\\Software\\Key\\Sub", "HKEY_CURRENT_USER\\Software\\Key\\Sub"},
        {false, "HKEY_CURRENT_USER\\Software\\Own", "HKEY_CURRENT_USER\\Software\\Own : w"},
        {false, "HKEY_CURRENT_USER\\Software\\Ke", ""},
        {false, "HKEY_CURRENT_USER\\Software\\Keep\\Inner\\Deeper", ""},
    };
    for (const auto& c : cases) {
        std::string which;
        const bool holds = c.folder ? set.holdsBelowFolder(c.place, &which)
                                    : set.holdsBelowKey(c.place, &which);
        EXPECT_EQ(*c.held != '\0', holds) << c.place;
        EXPECT_EQ(c.held, holds ? which : std::string()) << c.place;
    }
    EXPECT_FALSE(ks::IgnoreSet().holdsBelowFolder("C:\\"));
}
