// Writing a file beside its place: the new file has its attributes before it
// is moved over the name, and the temporary files of runs that are gone are
// cleared while everything else named like them stays.
#include "platform/file_writing.h"

#include "platform/wide_paths.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

std::string g_folder;
std::vector<DWORD> g_seenBeforeMove;   // the attributes of each "~ks*.tmp" then

void recordTemporaries()
{
    for (const std::string& name : ts::folderNames(g_folder)) {
        if (name.compare(0, 3, "~ks") == 0)
            g_seenBeforeMove.push_back(GetFileAttributesA((g_folder + "\\" + name).c_str()));
    }
}

}  // namespace

TEST(FileWriting, TheAttributesComeBeforeTheMove)
{
    g_folder = ts::freshWorkFolder("AttributesBeforeMove");
    const std::string path = g_folder + "\\kept.txt";
    ts::writeTextFile(path, "old");
    ASSERT_EQ(ks::FileWrite::Written,
              ks::writeFileInPlace(path, "new", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                                   recordTemporaries));
    ASSERT_EQ(1u, g_seenBeforeMove.size());
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
              g_seenBeforeMove[0] & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ("new", ts::readTextFile(path));
    EXPECT_EQ(std::vector<std::string>{"kept.txt"}, ts::folderNames(g_folder));
}

TEST(FileWriting, OnlyTheTemporaryFilesOfRunsGoneAreCleared)
{
    const std::string folder = ts::freshWorkFolder("DeadTemporaries");
    const std::string own = "~ks" + std::to_string(GetCurrentProcessId()) + "-00000001.tmp";
    struct Row {
        std::string name;
        bool stays;
    } rows[] = {
        {own, true},                            // this live run's
        {"~ks4000000-0000abcd.tmp", false},     // a run gone (made read-only below)
        {"~ks4000000-abcd.tmp", true},          // not as Kestrune writes the number
        {"~ks04000000-0000abcd.tmp", true},
        {"~ks-4000000-0000abcd.tmp", true},
        {"~ksmine.tmp", true},
        {"~ks4000000-0000abcf.tmp", true},      // a second name of the user's file
    };
    for (const Row& row : rows) {
        if (row.name != "~ks4000000-0000abcf.tmp")
            ts::writeTextFile(folder + "\\" + row.name, "x");
    }
    ts::writeTextFile(folder + "\\mine.txt", "mine");
    ASSERT_TRUE(CreateHardLinkA((folder + "\\~ks4000000-0000abcf.tmp").c_str(),
                                (folder + "\\mine.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\~ks4000000-0000abce.tmp").c_str(), nullptr));
    SetFileAttributesA((folder + "\\~ks4000000-0000abcd.tmp").c_str(), FILE_ATTRIBUTE_READONLY);

    ks::removeDeadTemporaries(folder);

    for (const Row& row : rows)
        EXPECT_EQ(row.stays, ts::pathExists(folder + "\\" + row.name)) << row.name;
    EXPECT_TRUE(ks::isFolder(folder + "\\~ks4000000-0000abce.tmp"));
    EXPECT_EQ("mine", ts::readTextFile(folder + "\\mine.txt"));
}
