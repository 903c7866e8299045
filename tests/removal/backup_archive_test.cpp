// The backup's zip writer, read back with the tests' own zip reader: entry
// names in flat and relative form, contents larger than one piece, names
// that begin with a dot, folder entries, and calls on a closed archive.
#include "removal/backup_archive.h"

#include "removal/backup_session.h"
#include "support/temp_folder.h"
#include "support/zip_reader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

std::string patterned(size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i)
        text += static_cast<char>('a' + (i * 7 + i / 13) % 26);
    return text;
}

const ts::ZipEntry* entryNamed(const std::vector<ts::ZipEntry>& entries, const std::string& name)
{
    for (const ts::ZipEntry& entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

}  // namespace

TEST(BackupNames, NumberedNamesGoBeforeTheExtension)
{
    struct Case {
        const char* name;
        int n;
        const char* expected;
    } cases[] = {
        {"rkBackup1.reg", 1, "rkBackup1.reg"},
        {"rkBackup1.reg", 2, "rkBackup1 (2).reg"},
        {"a.b.exe", 3, "a.b (3).exe"},
        {"notes", 2, "notes (2)"},
        {".hidden", 2, ".hidden (2)"},
        {"3,6,2004_9,5,7.zip", 2, "3,6,2004_9,5,7 (2).zip"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ks::numberedName(c.name, c.n));
}

TEST(BackupNames, EveryClaimGetsANameOfItsOwn)
{
    const std::string folder = ts::freshWorkFolder("claims");
    ts::writeTextFile(folder + "\\left.txt");
    ks::BackupSession session(folder, nullptr);
    EXPECT_EQ("a.exe", session.claimName("a.exe"));
    EXPECT_EQ("A (2).EXE", session.claimName("A.EXE"));
    EXPECT_EQ("a (3).exe", session.claimName("a.exe"));
    // The description files and entries already on disk are taken.
    EXPECT_EQ("Config (2).ini", session.claimName("Config.ini"));
    EXPECT_EQ("manifest (2).ini", session.claimName("manifest.ini"));
    EXPECT_EQ("left (2).txt", session.claimName("left.txt"));
}

TEST(BackupArchiveWriter, RelativeNamesKeepFoldersAndEveryNameGoesIn)
{
    const std::string work = ts::freshWorkFolder("archive-relative");
    const std::string source = work + "\\src";
    const std::string big = patterned(10000);   // several pieces of 2048
    ts::writeTextFile(source + "\\big.bin", big);
    ts::writeTextFile(source + "\\.hidden", "dot");
    ts::writeTextFile(source + "\\Tree\\sub\\same.txt", "inner");
    ts::writeTextFile(source + "\\Tree\\same.txt", "outer");
    CreateDirectoryA((source + "\\Empty").c_str(), nullptr);

    ks::BackupArchive archive;
    ASSERT_TRUE(archive.open(work + "\\out.zip", source, false));
    EXPECT_EQ(source + "\\", archive.rootFolder());
    EXPECT_TRUE(archive.addFolder(source, false));
    EXPECT_TRUE(archive.close());
    EXPECT_EQ(4, archive.filesAdded());
    EXPECT_EQ(4, archive.foldersAdded());   // src, Tree, sub, Empty
    EXPECT_EQ(10000u + 3 + 5 + 5, archive.bytesRead());

    std::vector<ts::ZipEntry> entries;
    ASSERT_TRUE(ts::readZip(work + "\\out.zip", entries));
    std::vector<std::string> names;
    for (const ts::ZipEntry& entry : entries) {
        names.push_back(entry.name);
        EXPECT_EQ(8, entry.method) << entry.name;
        EXPECT_TRUE(entry.crcMatches) << entry.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{".hidden", "Empty/", "Tree/", "Tree/same.txt",
                                        "Tree/sub/", "Tree/sub/same.txt", "big.bin"}),
              names);
    ASSERT_NE(nullptr, entryNamed(entries, "big.bin"));
    EXPECT_EQ(big, entryNamed(entries, "big.bin")->data);
    EXPECT_EQ("inner", entryNamed(entries, "Tree/sub/same.txt")->data);
    EXPECT_EQ("outer", entryNamed(entries, "Tree/same.txt")->data);
}

TEST(BackupArchiveWriter, FlatNamesDropTheFolders)
{
    const std::string work = ts::freshWorkFolder("archive-flat");
    ts::writeTextFile(work + "\\src\\a.txt", "a");
    ts::writeTextFile(work + "\\src\\sub\\b.txt", "b");
    ks::BackupArchive archive;
    ASSERT_TRUE(archive.open(work + "\\flat.zip", std::nullopt, false));
    EXPECT_EQ(work + "\\", archive.rootFolder());
    EXPECT_TRUE(archive.addFolder("src", true));   // relative to the root
    ASSERT_TRUE(archive.close());
    std::vector<std::string> names = ts::zipEntryNames(work + "\\flat.zip");
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), names);
}

TEST(BackupArchiveWriter, PathsOutsideTheRootAndMissingFilesAreRefused)
{
    const std::string work = ts::freshWorkFolder("archive-refuse");
    ts::writeTextFile(work + "\\root\\in.txt", "in");
    ts::writeTextFile(work + "\\out.txt", "out");
    ks::BackupArchive archive;
    ASSERT_TRUE(archive.open(work + "\\r.zip", work + "\\root", false));
    EXPECT_TRUE(archive.addFile(work + "\\root\\in.txt", false));
    EXPECT_TRUE(archive.addFile(".\\in.txt", false));
    EXPECT_FALSE(archive.addFile(work + "\\out.txt", false));
    EXPECT_FALSE(archive.addFile("..\\out.txt", false));
    EXPECT_FALSE(archive.addFile(work + "\\root\\missing.txt", false));
    EXPECT_FALSE(archive.addFolder(work + "\\root\\missing", false));
    ASSERT_TRUE(archive.close());
    EXPECT_EQ((std::vector<std::string>{"in.txt", "in.txt"}), ts::zipEntryNames(work + "\\r.zip"));
}

TEST(BackupArchiveWriter, AClosedArchiveTakesNothing)
{
    ks::BackupArchive archive;
    EXPECT_FALSE(archive.addFile("C:\\windows\\win.ini", true));
    EXPECT_FALSE(archive.addFolder("C:\\windows", true));
    EXPECT_TRUE(archive.close());
    EXPECT_FALSE(archive.open("C:\\no\\such\\folder\\x.zip", std::nullopt, false));
    EXPECT_FALSE(archive.isOpen());
}

TEST(BackupArchiveWriter, OpeningReplacesAnExistingFileAndDestroyingCloses)
{
    const std::string work = ts::freshWorkFolder("archive-replace");
    ts::writeTextFile(work + "\\a.txt", "a");
    ts::writeTextFile(work + "\\x.zip", "not an archive at all");
    {
        ks::BackupArchive archive;
        ASSERT_TRUE(archive.open(work + "\\x.zip", work, false));
        EXPECT_TRUE(archive.addFile("a.txt", false));
    }
    EXPECT_EQ((std::vector<std::string>{"a.txt"}), ts::zipEntryNames(work + "\\x.zip"));
}
