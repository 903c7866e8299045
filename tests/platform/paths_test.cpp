// Joining and splitting path texts.
#include "platform/paths.h"

#include <gtest/gtest.h>

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
