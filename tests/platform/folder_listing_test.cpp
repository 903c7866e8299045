// Listing a folder, with the error that ended the listing.
#include "platform/folder_listing.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ks = kestrune;

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
