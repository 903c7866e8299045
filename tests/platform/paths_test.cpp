// Joining and splitting path texts, and their trailing backslashes.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

namespace ks = kestrune;

TEST(PathTexts, ExtensionAndBaseName)
{
    const struct {
        const char* path;
        const char* extension;
        const char* baseName;
        const char* fileName;   // empty when there is no backslash, unlike baseName
    } cases[] = {
        {"C:\\x\\setup.EXE", "EXE", "setup.EXE", "setup.EXE"},
        {"C:\\x\\readme", "", "readme", "readme"},
        {"C:\\a.b\\file", "b\\file", "file", "file"},   // the last dot of the whole path
        {"C:\\x\\archive.tar.gz", "gz", "archive.tar.gz", "archive.tar.gz"},
        {"C:\\x\\file.", "", "file.", "file."},
        {"bare.dll", "dll", "bare.dll", ""},          // no backslash: the whole text
        {"C:\\x\\", "", "", ""},
        {"", "", "", ""},
        {"\\b.ks", "ks", "b.ks", "b.ks"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.extension, ks::fileExtension(c.path)) << c.path;
        EXPECT_EQ(c.baseName, ks::baseNameOf(c.path)) << c.path;
        EXPECT_EQ(c.fileName, ks::fileNameOf(c.path)) << c.path;
    }
}

TEST(PathTexts, JoiningListingPatternsAndParents)
{
    EXPECT_EQ("C:\\a\\b", ks::joinPath("C:\\a", "b"));
    EXPECT_EQ("C:\\b", ks::joinPath("C:\\", "b"));
    EXPECT_EQ("b", ks::joinPath("", "b"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a\\"));
    EXPECT_EQ("C:\\a\\*.*", ks::listingPattern("C:\\a  "));
    EXPECT_EQ("C:\\a b\\*.*", ks::listingPattern("C:\\a b"));
    EXPECT_EQ("C:\\a\\", ks::withTrailingBackslash("C:\\a"));
    EXPECT_EQ("C:\\", ks::withTrailingBackslash("C:\\"));
    EXPECT_EQ("", ks::withTrailingBackslash(""));

    // The parents differ at a drive root and where there is no backslash:
    // parentFolderOf cuts at the last backslash, parentPath keeps a root's.
    const struct {
        const char* path;
        const char* parentFolder;
        const char* folderPart;
        const char* parentPath;
        const char* lastPart;
    } parents[] = {
        {"C:\\WINDOWS\\a.dll", "C:\\WINDOWS", "C:\\WINDOWS\\", "C:\\WINDOWS", "a.dll"},
        {"C:\\a.dll", "C:", "C:\\", "C:\\", "a.dll"},
        {"C:\\", "C:", "C:\\", "", "C:\\"},
        {"name", "name", "", "", "name"},
        {"", "", "", "", ""},
        {"\\\\srv\\share\\f", "\\\\srv\\share", "\\\\srv\\share\\", "\\\\srv\\share", "f"},
    };
    for (const auto& c : parents) {
        EXPECT_EQ(c.parentFolder, ks::parentFolderOf(c.path)) << c.path;
        EXPECT_EQ(c.folderPart, ks::folderPartOf(c.path)) << c.path;
        EXPECT_EQ(c.parentPath, ks::parentPath(c.path)) << c.path;
        EXPECT_EQ(c.lastPart, ks::lastPart(c.path)) << c.path;
    }
}

// Two forms: a root keeps its backslash (the removal's and the protected
// places' form) or loses it ("C:", the form a walk of the tree takes).
TEST(PathTexts, TrailingBackslashes)
{
    const struct {
        const char* path;
        const char* kept;
        const char* removed;
    } cases[] = {
        {"C:\\a\\\\", "C:\\a", "C:\\a"},
        {"C:\\a", "C:\\a", "C:\\a"},
        {"C:\\", "C:\\", "C:"},
        {"C:\\\\", "C:\\", "C:"},
        {"C:", "C:", "C:"},
        {"\\", "\\", ""},
        {"\\\\", "\\", ""},
        {"ab\\", "ab", "ab"},
        {"\\\\server\\share\\", "\\\\server\\share", "\\\\server\\share"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.kept, ks::withoutTrailingBackslashes(c.path)) << c.path;
        EXPECT_EQ(c.removed, ks::withoutTrailingBackslashes(c.path, ks::RootBackslash::Removed))
            << c.path;
    }
}

// In a two-byte code page the trail byte of a character may equal '\'
// ("\x95\x5c" in code page 932): it neither splits nor ends a path.
TEST(PathTextsDbcs, TrailBytesAreNoBackslashes)
{
    const char* expected = std::getenv("KESTRUNE_EXPECT_ACP");
    if (GetACP() != 932) {
        ASSERT_EQ(nullptr, expected) << "the two-byte run did not get code page 932";
        GTEST_SKIP() << "needs code page 932, have " << GetACP();
    }
    const std::string folder = "C:\\\x95\x5c";   // a folder named by one character
    EXPECT_EQ(2u, ks::lastBackslash(folder));
    EXPECT_EQ("\x95\x5c", ks::baseNameOf(folder));
    EXPECT_EQ("C:", ks::parentFolderOf(folder));
    EXPECT_EQ(folder, ks::withoutTrailingBackslashes(folder));
    EXPECT_EQ(folder + "\\a", ks::joinPath(folder, "a"));
    EXPECT_EQ(folder + "\\*.*", ks::listingPattern(folder));
    EXPECT_EQ("C:\\", ks::parentPath(folder));
    EXPECT_EQ(folder + "\\", ks::withTrailingBackslash(folder));
}
