// Path texts and the folder walks on the real file system of the test prefix:
// nested trees, dot-prefixed names, read-only files, links that lead outside
// the tree (made by link_fixtures.sh below C:\linkfix), and folder creation.
#include "removal/folder_utils.h"

#include "platform/handles.h"
#include "platform/path_links.h"
#include "platform/wide_paths.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ks = kestrune;
using ks::testing_support::folderNames;
using ks::testing_support::freshWorkFolder;
using ks::testing_support::pathExists;
using ks::testing_support::readTextFile;
using ks::testing_support::writeTextFile;

namespace {

std::string testName()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST(PathTexts, SkipRules)
{
    const struct {
        const char* name;
        bool dotPrefix;
        bool dotsOnly;
    } cases[] = {
        {".", true, true},       {"..", true, true},          {".hidden", true, false},
        {"...", true, false},    {"a.b", false, false},       {"file", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dotPrefix, ks::passedBy(ks::ListingRule::DotPrefix, c.name)) << c.name;
        EXPECT_EQ(c.dotsOnly, ks::passedBy(ks::ListingRule::DotsOnly, c.name)) << c.name;
    }
}

TEST(FolderWalks, ListingStopsWhenTheVisitorSaysSo)
{
    const std::string root = freshWorkFolder(testName());
    for (const char* name : {"a", "b", "c", ".d"})
        writeTextFile(root + "\\" + name);
    std::vector<std::string> seen;
    EXPECT_TRUE(ks::listFolder(root, ks::ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& e) {
        seen.push_back(e.cFileName);
        return true;
    }));
    EXPECT_EQ(3u, seen.size());
    EXPECT_FALSE(contains(seen, ".d"));

    int visits = 0;
    EXPECT_FALSE(ks::listFolder(root, ks::ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA&) {
        return ++visits < 2;
    }));
    EXPECT_EQ(2, visits);
    EXPECT_FALSE(ks::listFolder(root + "\\missing", ks::ListingRule::DotsOnly,
                                [](const WIN32_FIND_DATAA&) { return true; }));
}

TEST(FolderWalks, DeleteContentsEmptiesANestedTreeButKeepsTheFolder)
{
    const std::string root = freshWorkFolder(testName());
    writeTextFile(root + "\\top.txt");
    writeTextFile(root + "\\sub\\middle.txt");
    writeTextFile(root + "\\sub\\deeper\\bottom.txt");
    ASSERT_TRUE(CreateDirectoryA((root + "\\emptydir").c_str(), nullptr));

    EXPECT_TRUE(ks::deleteFolderContents(root));
    EXPECT_TRUE(ks::isFolder(root));
    EXPECT_TRUE(folderNames(root).empty());

    writeTextFile(root + "\\file.txt");
    EXPECT_FALSE(ks::deleteFolderContents(root + "\\missing"));
    EXPECT_FALSE(ks::deleteFolderContents(root + "\\file.txt"));
}

TEST(FolderWalks, AReadOnlyFileEndsTheWalk)
{
    const std::string root = freshWorkFolder(testName());
    for (const char* name : {"f0", "f1", "f2", "f3", "f4", "f5"})
        writeTextFile(root + "\\" + name);
    const std::vector<std::string> order = folderNames(root);
    ASSERT_EQ(6u, order.size());
    const std::string readOnly = root + "\\" + order[2];
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(ks::deleteFolderContents(root));
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(i >= 2, pathExists(root + "\\" + order[i])) << order[i];
    // The tree cannot go while the read-only file stays.
    EXPECT_FALSE(ks::deleteFolderTree(root));
    EXPECT_TRUE(pathExists(readOnly));
}

TEST(FolderWalks, ASubfolderThatCannotBeEmptiedStaysAndTheWalkGoesOn)
{
    const std::string root = freshWorkFolder(testName());
    writeTextFile(root + "\\locked\\ro.txt");
    writeTextFile(root + "\\locked\\other.txt");
    writeTextFile(root + "\\a.txt");
    writeTextFile(root + "\\z.txt");
    writeTextFile(root + "\\zdir\\x.txt");
    ASSERT_TRUE(SetFileAttributesA((root + "\\locked\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_TRUE(ks::deleteFolderContents(root));
    EXPECT_EQ(std::vector<std::string>{"locked"}, folderNames(root));
    EXPECT_TRUE(pathExists(root + "\\locked\\ro.txt"));

    EXPECT_FALSE(ks::deleteFolderTree(root));
    EXPECT_TRUE(ks::isFolder(root));
}

TEST(FolderWalks, KeptEntriesStayWithTheFoldersAroundThemAndTheWalkGoesOn)
{
    const std::string tree = freshWorkFolder(testName()) + "\\tree";
    for (const char* name : {"a.txt", "sub\\keep.ks", "sub\\b.txt", "kept\\x.txt", "z.txt"})
        writeTextFile(tree + "\\" + name);
    std::vector<std::string> asked;
    const ks::KeepTest keep = [&](const std::string& path, bool isFolder) {
        asked.push_back(path.substr(tree.size() + 1) + (isFolder ? "\\" : ""));
        return path == tree + "\\sub\\keep.ks" || path == tree + "\\kept";
    };

    EXPECT_FALSE(ks::deleteFolderTree(tree, keep));

    std::vector<std::string> left = folderNames(tree);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"kept", "sub"}), left);
    EXPECT_EQ(std::vector<std::string>{"keep.ks"}, folderNames(tree + "\\sub"));
    EXPECT_TRUE(pathExists(tree + "\\kept\\x.txt"));
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "kept\\", "sub\\", "sub\\b.txt", "sub\\keep.ks",
                                        "z.txt"}),
              asked);   // a kept folder is not entered
}

TEST(FolderWalks, DeleteTreeResults)
{
    const std::string root = freshWorkFolder(testName());
    EXPECT_TRUE(ks::deleteFolderTree(root + "\\never-was"));

    writeTextFile(root + "\\file.txt");
    EXPECT_TRUE(ks::deleteFolderTree(root + "\\file.txt"));   // not a folder: nothing to do
    EXPECT_TRUE(pathExists(root + "\\file.txt"));

    writeTextFile(root + "\\tree\\a\\b\\c.txt");
    writeTextFile(root + "\\tree\\d.txt");
    ASSERT_TRUE(SetFileAttributesA((root + "\\tree").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ks::deleteFolderTree(root + "\\tree"));
    EXPECT_FALSE(pathExists(root + "\\tree"));

    // A dot-prefixed entry is never deleted, so its folder stays.
    writeTextFile(root + "\\dotted\\.hidden");
    writeTextFile(root + "\\dotted\\.config\\settings");
    writeTextFile(root + "\\dotted\\plain");
    EXPECT_FALSE(ks::deleteFolderTree(root + "\\dotted"));
    EXPECT_EQ(2u, folderNames(root + "\\dotted").size());
    EXPECT_TRUE(pathExists(root + "\\dotted\\.config\\settings"));
}

TEST(FolderLinks, LinksAreToldApartFromFilesAndFoldersAtTheEndAndOnTheWay)
{
    const struct {
        const char* path;
        bool link;     // isLink: the last part is a link
        bool onPath;   // pathLeadsThroughLink: any part is
    } cases[] = {
        {"C:\\linkfix\\top\\link", true, true},
        {"C:\\linkfix\\top\\link\\", true, true},
        {"C:\\linkfix\\top\\link\\\\", true, true},
        {"C:\\linkfix\\top\\emptylink", true, true},
        {"C:\\LINKFIX\\TOP\\LINK", true, true},
        {"C:\\linkfix\\delete\\tree\\filelink", true, true},
        {"C:\\linkfix\\top\\outside", false, false},
        {"C:\\linkfix\\top\\outside\\", false, false},
        {"C:\\linkfix\\TOP\\Outside\\keep.txt", false, false},
        {"C:\\linkfix\\top\\link\\keep.txt", false, true},   // a real file, reached through a link
        {"C:\\linkfix\\top\\outside\\..\\link\\keep.txt", false, true},
        {"C:\\linkfix\\top\\link\\missing\\deeper.txt", false, true},
        {"C:\\linkfix\\copy\\tree\\sub\\loop\\one.txt", false, true},
        {"C:\\linkfix\\top\\missing", false, false},
        {"C:\\progra~1", false, false},   // a short name is no link
        {"C:\\", false, false},
        {"C:\\linkfix", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.link, ks::isLink(c.path)) << c.path;
        EXPECT_EQ(c.onPath, ks::pathLeadsThroughLink(c.path)) << c.path;
    }
}

TEST(FolderLinks, DeleteTreeNeverReachesThroughALink)
{
    const std::string tree = "C:\\linkfix\\delete\\tree";
    ASSERT_TRUE(pathExists(tree + "\\dirlink")) << "link_fixtures.sh did not run";

    EXPECT_FALSE(ks::deleteFolderTree(tree));
    // Outside the tree nothing is touched: the full folder, its files and the
    // empty folder behind the other link.
    EXPECT_EQ("keep\n", readTextFile("C:\\linkfix\\delete\\outside\\keep.txt"));
    EXPECT_EQ("keep\n", readTextFile("C:\\linkfix\\delete\\outside\\other.txt"));
    EXPECT_TRUE(ks::isFolder("C:\\linkfix\\delete\\outside_empty"));
    // Inside, the ordinary entries are gone and the links stay in place.
    std::vector<std::string> left = folderNames(tree);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"dirlink", "emptylink", "filelink"}), left);
}

TEST(FolderLinks, DeleteContentsLeavesTheFolderThatHoldsALink)
{
    const std::string tree = "C:\\linkfix\\contents\\tree";
    ASSERT_TRUE(pathExists(tree + "\\inner\\dirlink")) << "link_fixtures.sh did not run";

    EXPECT_FALSE(ks::deleteFolderContents(tree + "\\inner"));
    EXPECT_FALSE(pathExists(tree + "\\inner\\a.txt"));
    // One level up the inner folder is left and the walk goes on.
    EXPECT_TRUE(ks::deleteFolderContents(tree));
    EXPECT_FALSE(pathExists(tree + "\\b.txt"));
    EXPECT_TRUE(ks::isFolder(tree + "\\inner"));
    EXPECT_EQ("keep\n", readTextFile("C:\\linkfix\\contents\\outside\\keep.txt"));
}

TEST(FolderLinks, AWalkStartedOnALinkDoesNothing)
{
    for (const char* start : {"C:\\linkfix\\top\\link", "C:\\linkfix\\top\\link\\",
                              "C:\\linkfix\\top\\emptylink", "C:\\linkfix\\top\\emptylink\\"}) {
        SCOPED_TRACE(start);
        EXPECT_FALSE(ks::deleteFolderContents(start));
        EXPECT_FALSE(ks::deleteFolderTree(start));
    }
    EXPECT_EQ("keep\n", readTextFile("C:\\linkfix\\top\\outside\\keep.txt"));
    EXPECT_TRUE(ks::isFolder("C:\\linkfix\\top\\outside_empty"));
    EXPECT_TRUE(pathExists("C:\\linkfix\\top\\link"));
}

TEST(FolderLinks, CopyPassesLinksBy)
{
    const std::string target = freshWorkFolder(testName()) + "\\copied";
    // The tree holds a link back to itself: following it would never end.
    EXPECT_TRUE(ks::copyFolderTree("C:\\linkfix\\copy\\tree", target));
    EXPECT_EQ("one\n", readTextFile(target + "\\one.txt"));
    EXPECT_EQ("two\n", readTextFile(target + "\\sub\\two.txt"));
    EXPECT_EQ(std::vector<std::string>{"two.txt"}, folderNames(target + "\\sub"));
}

namespace {

// A hidden window that counts the WM_APP messages dispatched to it.
// Counts how often a copy gives its caller a moment.
class CountingResponsiveness : public ks::Responsiveness {
public:
    void keepResponsive() override { ++count; }
    int count = 0;
};

}  // namespace

TEST(FolderCopy, CopiesTheTreeIntoMissingParentsAndOverwrites)
{
    const std::string root = freshWorkFolder(testName());
    writeTextFile(root + "\\src\\a.txt", "new a");
    writeTextFile(root + "\\src\\sub\\b.txt", "b");
    writeTextFile(root + "\\src\\sub\\deeper\\c.txt", "c");
    writeTextFile(root + "\\src\\.hidden", "h");
    writeTextFile(root + "\\src\\.dotdir\\d.txt", "d");
    const std::string target = root + "\\missing\\parents\\dst";

    EXPECT_TRUE(ks::copyFolderTree(root + "\\src", target));
    EXPECT_EQ("new a", readTextFile(target + "\\a.txt"));
    EXPECT_EQ("c", readTextFile(target + "\\sub\\deeper\\c.txt"));
    EXPECT_FALSE(pathExists(target + "\\.hidden"));
    EXPECT_FALSE(pathExists(target + "\\.dotdir"));

    writeTextFile(root + "\\src\\a.txt", "newer a");
    EXPECT_TRUE(ks::copyFolderTree(root + "\\src", target));
    EXPECT_EQ("newer a", readTextFile(target + "\\a.txt"));
}

TEST(FolderCopy, AMissingSourceFailsAfterTheTargetWasMade)
{
    const std::string root = freshWorkFolder(testName());
    EXPECT_FALSE(ks::copyFolderTree(root + "\\nothing", root + "\\made\\anyway"));
    EXPECT_TRUE(ks::isFolder(root + "\\made\\anyway"));
}

TEST(FolderCopy, AFailedFileCopyEndsTheWalk)
{
    const std::string root = freshWorkFolder(testName());
    for (const char* name : {"f0", "f1", "f2", "f3"})
        writeTextFile(root + "\\src\\" + name);
    const std::vector<std::string> order = folderNames(root + "\\src");
    ASSERT_EQ(4u, order.size());
    // A file that another program holds open without sharing cannot be read.
    ks::ScopedHandle held(CreateFileA((root + "\\src\\" + order[1]).c_str(), GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());

    EXPECT_FALSE(ks::copyFolderTree(root + "\\src", root + "\\dst"));
    EXPECT_EQ(std::vector<std::string>{order[0]}, folderNames(root + "\\dst"));
}

TEST(FolderCopy, TheCallerIsToldOnlyWhileSubfoldersAreCopied)
{
    const std::string root = freshWorkFolder(testName());
    writeTextFile(root + "\\flat\\a.txt");
    writeTextFile(root + "\\flat\\b.txt");
    writeTextFile(root + "\\nested\\sub\\c.txt");
    writeTextFile(root + "\\nested\\sub\\d.txt");
    CountingResponsiveness responsiveness;

    EXPECT_TRUE(ks::copyFolderTree(root + "\\flat", root + "\\out1", &responsiveness));
    EXPECT_EQ(0, responsiveness.count);

    // Once before each of the subfolder's two entries.
    EXPECT_TRUE(ks::copyFolderTree(root + "\\nested", root + "\\out2", &responsiveness));
    EXPECT_EQ(2, responsiveness.count);
}

TEST(FolderCreate, CreatesEveryMissingFolderAlongThePath)
{
    const std::string root = freshWorkFolder(testName());
    EXPECT_TRUE(ks::createFolderPath(root + "\\a\\b\\c"));
    EXPECT_TRUE(ks::isFolder(root + "\\a\\b\\c"));
    // Trailing blanks and one trailing backslash are ignored.
    EXPECT_TRUE(ks::createFolderPath(root + "\\d\\e\\  "));
    EXPECT_TRUE(ks::isFolder(root + "\\d\\e"));
    EXPECT_TRUE(folderNames(root + "\\d\\e").empty());
    EXPECT_TRUE(ks::createFolderPath(root + "\\a\\b\\c"));   // all there already

    // A file where a folder should be.
    writeTextFile(root + "\\blocked");
    EXPECT_FALSE(ks::createFolderPath(root + "\\blocked\\x"));
    EXPECT_FALSE(ks::createFolderPath(root + "\\blocked"));
}

TEST(FolderCreate, ADriveThatDoesNotExistCreatesNothing)
{
    char drive = 0;
    for (char letter = 'Q'; letter <= 'Y' && drive == 0; ++letter) {
        const char root[] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            drive = letter;
    }
    ASSERT_NE(0, drive);
    const std::string path = std::string(1, drive) + ":\\kestrune\\a\\b";
    EXPECT_FALSE(ks::createFolderPath(path));
    EXPECT_FALSE(pathExists(std::string(1, drive) + ":\\kestrune"));
}
