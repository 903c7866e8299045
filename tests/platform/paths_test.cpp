// Path texts, and listing a folder with the error that ended the listing.
#include "platform/folder_listing.h"
#include "platform/paths.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ks = kestrune;

TEST(PathTexts, ExtensionAndBaseName)
{
    const struct {
        const char* path;
        const char* extension;
        const char* baseName;
    } cases[] = {
        {"C:\\x\\setup.EXE", "EXE", "setup.EXE"},
        {"C:\\x\\readme", "", "readme"},
        {"C:\\a.b\\file", "b\\file", "file"},   // the last dot of the whole path
        {"C:\\x\\archive.tar.gz", "gz", "archive.tar.gz"},
        {"C:\\x\\file.", "", "file."},
        {"bare.dll", "dll", "bare.dll"},          // no backslash: the whole text
        {"C:\\x\\", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.extension, ks::fileExtension(c.path)) << c.path;
        EXPECT_EQ(c.baseName, ks::baseNameOf(c.path)) << c.path;
    }
}

TEST(PathTexts, JoiningListingPatternsAndParents)
{
    EXPECT_EQ("C:\\a\\b", ks::joinPath("C:\\a", "b"));
    EXPECT_EQ("C:\\b", ks::joinPath("C:\\", "b"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a\\"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a  "));
    EXPECT_EQ("C:\\a b\\*.*", ks::listingPattern("C:\\a b"));
    EXPECT_EQ("C:\\WINDOWS", ks::parentFolderOf("C:\\WINDOWS\\a.dll"));
    EXPECT_EQ("C:", ks::parentFolderOf("C:\\a.dll"));
    EXPECT_EQ("name", ks::parentFolderOf("name"));
}

TEST(FolderListing, EntriesInListingOrderAndTheErrorThatEndedThem)
{
    const std::string root = ks::testing_support::freshWorkFolder("folder-listing");
    ks::testing_support::writeTextFile(root + "\\full\\a.txt");
    ks::testing_support::writeTextFile(root + "\\full\\sub\\b.txt");
    const struct {
        std::string pattern;
        bool opened;
        int entries;   // "." and ".." included
        DWORD error;
    } cases[] = {
        {root + "\\full\\*.*", true, 4, ERROR_NO_MORE_FILES},
        {root + "\\full\\*.none", false, 0, ERROR_FILE_NOT_FOUND},
        {root + "\\missing\\*.*", false, 0, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        ks::FolderListing listing(c.pattern);
        EXPECT_EQ(c.opened, listing.opened()) << c.pattern;
        std::vector<std::string> names;
        while (listing.next())
            names.push_back(listing.entry().cFileName);
        EXPECT_EQ(static_cast<size_t>(c.entries), names.size()) << c.pattern;
        EXPECT_EQ(c.error, listing.error()) << c.pattern;
        EXPECT_FALSE(listing.next()) << c.pattern;
    }
    EXPECT_TRUE(ks::isDotEntry("."));
    EXPECT_TRUE(ks::isDotEntry(".."));
    EXPECT_FALSE(ks::isDotEntry("..."));
    EXPECT_FALSE(ks::isDotEntry(".a"));
}
