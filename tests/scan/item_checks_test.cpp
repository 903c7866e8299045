// Item checks and walks on real files under Wine: placed items, cookies, the
// drive search's walk with its pending lists, links, and the folder scan's
// matching at defined places.
#include "scan/item_checks.h"
#include "scan/stop_request.h"

#include "support/definitions_builder.h"
#include "support/recording_reporter.h"
#include "support/test_files.h"

#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/text_trim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace kestrune;
using namespace kestrune::testing_support;

namespace {

class ItemChecks : public ::testing::Test {
protected:
    void SetUp() override { stopRequested = false; }
    void TearDown() override { stopRequested = false; }

    ParasiteList list;
    RecordingReporter reporter;
    ProtectedPlaces protectedPlaces;   // no folder or file, unless a test adds one
    ScanResults results;
    ScanRun run{list, reporter, stopRequested, protectedPlaces, nullptr, &results};

    bool isFound(ItemKind kind, int parasite, int item) const
    {
        return results.found(ItemRef{parasite, kind, item});
    }
    // The folder of an item's first find; empty when it has none.
    std::string foundIn(ItemKind kind, int parasite, int item) const
    {
        const std::vector<ItemFind>& finds = results.findsOf(ItemRef{parasite, kind, item});
        return finds.empty() ? std::string() : finds.front().folder;
    }
};

}  // namespace

TEST(ScanTexts, Trim)
{
    struct {
        const char* in;
        const char* trimmed;
    } trims[] = {
        {"  C:\\a \\b.dll\t\r\n", "C:\\a \\b.dll"},
        {"\t", ""},
        {"", ""},
        {"x", "x"},
    };
    for (const auto& t : trims)
        EXPECT_EQ(t.trimmed, trimmed(t.in, kLineBlanks)) << t.in;
}

TEST_F(ItemChecks, PlacedItemsAreTestedAtTheirPlace)
{
    const std::string dir = freshFolder();
    makeFile(dir + "\\evil.dll");
    makeFolder(dir + "\\EvilFolder");
    makeFile(dir + "\\ x");

    Parasite& p = addParasite(list, "P");
    struct Row {
        std::string name, path;
        bool found;
        std::string location;   // of the find
    } rows[] = {
        {"evil.dll", dir, true, dir + "\\evil.dll"},
        {"EVIL.DLL", dir, true, dir + "\\EVIL.DLL"},                // any case
        {"EvilFolder", dir, true, dir + "\\EvilFolder"},            // a folder counts for a file item
        {"evil.dll  ", "  " + dir, true, dir + "\\evil.dll"},       // both ends trimmed
        {" x", dir, true, dir + "\\ x"},                          // inner blank stays
        {"x", dir, false, ""},
        {"missing.dll", dir, false, ""},
    };
    for (const Row& row : rows)
        addFile(p, row.name, row.path).found = 1;   // the check must not touch it
    PendingList<FileItem> pending(list);
    for (int i = 0; i < static_cast<int>(p.files.size()); ++i)
        checkPathItem(run, 0, i, pending);

    std::vector<std::string> expected;
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].found, isFound(ItemKind::File, 0, static_cast<int>(i))) << rows[i].name;
        EXPECT_EQ(1, p.files[i]->found) << rows[i].name;
        if (rows[i].found)
            expected.push_back(rows[i].location);
    }
    EXPECT_EQ(expected, reporter.locations());
    for (const Find& find : reporter.finds)
        EXPECT_EQ(ItemKind::File, find.kind);
    EXPECT_EQ(std::size(rows), reporter.lastCount);
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ("Found", p.status);
    // The status line shows the joined location before trimming.
    EXPECT_EQ("  " + dir + "\\evil.dll  ", reporter.texts[3]);
}

TEST_F(ItemChecks, ItemsWithoutAPlaceArePendingAndUntouched)
{
    Parasite& p = addParasite(list, "P");
    addFolder(p, "Somewhere", "C:\\");
    addFolder(p, "Wanted", "").found = 1;
    addFolder(p, "Other", "");
    PendingList<DirectoryItem> pending(list);
    for (int i = 0; i < 3; ++i)
        checkPathItem(run, 0, i, pending);

    ASSERT_EQ(2u, pending.records().size());
    EXPECT_EQ(1, pending.records()[0].itemIndex);
    EXPECT_EQ(2, pending.records()[1].itemIndex);
    EXPECT_EQ(1, p.directories[1]->found);   // not touched
    EXPECT_EQ(0, p.directories[2]->found);
    EXPECT_TRUE(reporter.finds.empty());
    EXPECT_EQ(3u, reporter.lastCount);
    EXPECT_EQ("\\Wanted", reporter.texts[1]);
}

TEST_F(ItemChecks, CookiesMatchTheFileNameBelowTheCookiesFolder)
{
    // The folder's own path holds "trackwide", "cookies" and "kt": none of
    // them may match every file.
    const std::string folder = freshFolder() + "\\TrackWide\\Cookies";
    makeFile(folder + "\\root@trackwide[1].txt");
    makeFile(folder + "\\root@TRACKWIDE[2].txt");
    makeFile(folder + "\\root@OtherSite.txt");
    makeFile(folder + "\\root@bigmoney.txt");
    makeFile(folder + "\\nested\\root@trackwide.txt");   // not listed: not recursive

    Parasite& p0 = addParasite(list, "TrackWide");
    addCookie(p0, "trackwide");
    addCookie(p0, "");          // empty needle: matches nothing
    addCookie(p0, "   ");       // blanks only: empty needle too
    Parasite& p1 = addParasite(list, "Money");
    addCookie(p1, "Big Money");
    addCookie(p1, "OTHERSITE");
    Parasite& p2 = addParasite(list, "Folder names");
    addCookie(p2, "cookies");
    addCookie(p2, "kt");
    addCookie(p2, "TrackWide\\Cookies");
    addCookie(p2, ".");   // in every file name, but names no cookie
    addCookie(p2, "@_");

    checkCookies(run, folder);

    std::multiset<std::string> found;
    for (const Find& f : reporter.finds) {
        EXPECT_EQ(ItemKind::Cookie, f.kind);
        found.insert(std::to_string(f.parasiteIndex) + ":" + std::to_string(f.itemIndex) + ":" +
                     f.location);
    }
    std::multiset<std::string> expected = {"0:0:trackwide", "0:0:trackwide", "1:0:Big Money",
                                           "1:1:OTHERSITE"};
    EXPECT_EQ(expected, found);
    EXPECT_EQ(4u, reporter.lastCount);   // one per cookie file, the folder not
    EXPECT_TRUE(isFound(ItemKind::Cookie, 0, 0));
    EXPECT_FALSE(isFound(ItemKind::Cookie, 0, 1));
    EXPECT_FALSE(isFound(ItemKind::Cookie, 2, 0));
    EXPECT_EQ(0, p0.cookies[0]->found);   // the definitions stay as loaded
    EXPECT_EQ("Found", p1.status);
    EXPECT_EQ("Not scanned", p2.status);
    EXPECT_EQ((std::vector<std::string>{"Cookie:2:3:.", "Cookie:2:4:@_"}), reporter.skipped);
    // The status line shows the lower-cased full path.
    for (const std::string& text : reporter.texts)
        EXPECT_EQ(0u, text.find(foldedText(folder) + "\\root@")) << text;
}

TEST_F(ItemChecks, CookieMatchesComeInFileOrder)
{
    const std::string folder = freshFolder();
    makeFile(folder + "\\a@x.txt");
    makeFile(folder + "\\b@x.txt");
    Parasite& p0 = addParasite(list, "A");
    addCookie(p0, "x");
    Parasite& p1 = addParasite(list, "B");
    addCookie(p1, "X");
    checkCookies(run, folder);
    // Each file is matched against every item before the next file.
    ASSERT_EQ(4u, reporter.finds.size());
    EXPECT_EQ(0, reporter.finds[0].parasiteIndex);
    EXPECT_EQ(1, reporter.finds[1].parasiteIndex);
    EXPECT_EQ(0, reporter.finds[2].parasiteIndex);
    EXPECT_EQ(1, reporter.finds[3].parasiteIndex);
}

TEST_F(ItemChecks, MissingCookiesFolderFindsNothing)
{
    Parasite& p = addParasite(list, "P");
    addCookie(p, "");
    checkCookies(run, "");
    checkCookies(run, "C:\\no such folder");
    EXPECT_TRUE(reporter.finds.empty());
    EXPECT_EQ(0, reporter.countCalls);
}

TEST_F(ItemChecks, WalkCountsEveryEntryAndGoesDepthFirst)
{
    const std::string dir = freshFolder();
    makeFile(dir + "\\a.txt");
    makeFile(dir + "\\sub\\inner.txt");
    makeFile(dir + "\\sub\\deeper\\x.txt");
    makeFile(dir + "\\z.txt");
    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> folders(list);
    walkFolder(run, dir + "\\\\", files, folders);   // trailing backslashes are dropped

    // dir: . .. a.txt sub z.txt; sub: . .. inner.txt deeper; deeper: . .. x.txt
    EXPECT_EQ(5u + 4u + 3u, reporter.lastCount);
    EXPECT_FALSE(reporter.countWentBackwards);
    std::vector<std::string> texts = reporter.texts;
    ASSERT_EQ(6u, texts.size());
    auto at = [&](const std::string& path) {
        return std::find(texts.begin(), texts.end(), path) - texts.begin();
    };
    // Everything below sub comes right after sub.
    const auto sub = at(dir + "\\sub");
    EXPECT_EQ(sub + 1 + 1 + 1, std::max({at(dir + "\\sub\\inner.txt"), at(dir + "\\sub\\deeper"),
                                         at(dir + "\\sub\\deeper\\x.txt")}));
    EXPECT_LT(at(dir + "\\sub\\deeper"), at(dir + "\\sub\\deeper\\x.txt"));
}

TEST_F(ItemChecks, WalkCountsAndMatchesLinksButNeverEntersThem)
{
    // Made by wine-setup.sh: C:\links\real\inner\linked.dll, the loop
    // C:\links\real\loop -> C:\links and the alias C:\links\alias -> real.
    Parasite& p = addParasite(list, "P");
    addFile(p, "linked.dll", "");
    addFolder(p, "loop", "");
    addFolder(p, "ALIAS", "");
    addFolder(p, "linked.dll", "");   // a file never matches a folder item
    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> folders(list);
    checkPathItem(run, 0, 0, files);
    for (int i = 0; i < 3; ++i)
        checkPathItem(run, 0, i, folders);
    const unsigned long before = reporter.lastCount;
    walkFolder(run, "C:\\links", files, folders);

    // links: . .. real alias; real: . .. inner loop; inner: . .. linked.dll
    EXPECT_EQ(11u, reporter.lastCount - before);
    for (const std::string& text : reporter.texts) {
        EXPECT_EQ(std::string::npos, text.find("\\alias\\")) << text;
        EXPECT_EQ(std::string::npos, text.find("\\loop\\")) << text;
    }
    const std::vector<std::string> locations = reporter.locations();
    std::set<std::string> found(locations.begin(), locations.end());
    EXPECT_EQ((std::set<std::string>{"C:\\links\\real\\inner\\linked.dll", "C:\\links\\real\\loop",
                                     "C:\\links\\alias"}),
              found);
    EXPECT_EQ(3u, reporter.finds.size());
    EXPECT_EQ("C:\\links\\real\\inner", foundIn(ItemKind::File, 0, 0));
    EXPECT_EQ("C:\\links\\real", foundIn(ItemKind::Folder, 0, 0));
    EXPECT_EQ("C:\\links", foundIn(ItemKind::Folder, 0, 1));
    EXPECT_FALSE(isFound(ItemKind::Folder, 0, 2));
    EXPECT_EQ("", p.files[0]->path);   // the definitions stay as loaded
}

TEST_F(ItemChecks, PendingItemsOfOneNameTakeTheFilesInDefinitionOrder)
{
    const std::string dir = freshFolder();
    makeFile(dir + "\\one\\shared.dll");
    makeFile(dir + "\\two\\shared.dll");
    makeFile(dir + "\\three\\Shared.DLL");
    Parasite& p0 = addParasite(list, "First");
    addFile(p0, "SHARED.dll", "");
    Parasite& p1 = addParasite(list, "Already found");
    addFile(p1, "shared.dll", "");
    ItemFind before;
    before.location = "C:\\before\\shared.dll";
    results.add(ItemRef{1, ItemKind::File, 0}, before);
    Parasite& p2 = addParasite(list, "Second");
    addFile(p2, "shared.dll", "");
    addFile(p2, "other.dll", "");
    Parasite& p3 = addParasite(list, "Third");
    addFile(p3, "shared.dll", "");
    addFile(p3, "shared.dll", "");

    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> folders(list);
    for (int p = 0; p < list.count(); ++p)
        for (int i = 0; i < static_cast<int>(list.at(p)->files.size()); ++i)
            checkPathItem(run, p, i, files);
    walkFolder(run, dir, files, folders);

    // Three files, three takers, in definition order; the fourth waits.
    ASSERT_EQ(3u, reporter.finds.size());
    EXPECT_EQ(0, reporter.finds[0].parasiteIndex);
    EXPECT_EQ(2, reporter.finds[1].parasiteIndex);
    EXPECT_EQ(0, reporter.finds[1].itemIndex);
    EXPECT_EQ(3, reporter.finds[2].parasiteIndex);
    EXPECT_EQ(0, reporter.finds[2].itemIndex);
    EXPECT_FALSE(isFound(ItemKind::File, 3, 1));
    EXPECT_EQ("", p3.files[1]->path);
    EXPECT_EQ("", p1.files[0]->path);
    for (const Find& f : reporter.finds) {
        EXPECT_EQ(parentFolderOf(f.location), foundIn(ItemKind::File, f.parasiteIndex, f.itemIndex));
        EXPECT_EQ("", list.at(f.parasiteIndex)->files[f.itemIndex]->path);
    }
    EXPECT_EQ("Found", p0.status);
    EXPECT_EQ("Not scanned", p1.status);
}

TEST_F(ItemChecks, AFileInADriveRootGetsTheBareDriveAsItsPath)
{
    // D:\rootfile.dll is made by wine-setup.sh.
    Parasite& p = addParasite(list, "P");
    addFile(p, "rootfile.dll", "");
    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> folders(list);
    checkPathItem(run, 0, 0, files);
    walkFolder(run, "D:\\", files, folders);
    ASSERT_EQ(1u, reporter.finds.size());
    EXPECT_EQ("D:\\rootfile.dll", reporter.finds[0].location);
    EXPECT_EQ("D:", foundIn(ItemKind::File, 0, 0));

    // An item placed at the recorded place is found there.
    addFile(addParasite(list, "Placed"), "rootfile.dll", foundIn(ItemKind::File, 0, 0));
    RecordingReporter again;
    ScanRun second(list, again, stopRequested, protectedPlaces);
    PendingList<FileItem> none(list);
    checkPathItem(second, 1, 0, none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(std::vector<std::string>{"D:\\rootfile.dll"}, again.locations());
}

TEST_F(ItemChecks, StopEndsTheWalkAtTheNextEntry)
{
    const std::string dir = freshFolder();
    for (int i = 0; i < 5; ++i)
        makeFile(dir + "\\sub\\f" + std::to_string(i) + ".txt");
    makeFile(dir + "\\sub\\deeper\\g.txt");
    for (int i = 0; i < 5; ++i)
        makeFile(dir + "\\top" + std::to_string(i) + ".txt");
    size_t textsAtStop = 0;
    int countsAtStop = 0;
    reporter.hook = [&](const std::string& event) {
        if (event.rfind("text:", 0) == 0 && event.find("\\sub\\") != std::string::npos &&
            !stopRequested) {
            stopRequested = true;
            textsAtStop = reporter.texts.size();
            countsAtStop = reporter.countCalls;
        }
    };
    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> folders(list);
    walkFolder(run, dir, files, folders);
    ASSERT_TRUE(stopRequested);
    // Nothing is shown or counted after the stop, in this level or above.
    EXPECT_EQ(textsAtStop, reporter.texts.size());
    EXPECT_EQ(countsAtStop, reporter.countCalls);
    EXPECT_LT(reporter.countCalls, 19);
}

TEST_F(ItemChecks, FolderScanMatchesItemsAtTheirDefinedPlace)
{
    const std::string dir = freshFolder();
    makeFile(dir + "\\App\\evil.dll");
    makeFile(dir + "\\other\\evil.dll");
    makeFolder(dir + "\\App\\EvilDir");
    std::string upper = dir + "\\APP";
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

    Parasite& p0 = addParasite(list, "Spelled differently");
    addFile(p0, "EVIL.dll", upper);
    addFile(p0, "evil.dll", dir + "\\App");   // the same parasite reports once
    Parasite& p1 = addParasite(list, "Found before");
    addFile(p1, "evil.dll", dir + "\\App").found = 1;
    Parasite& p2 = addParasite(list, "No place");
    addFile(p2, "evil.dll", "");
    Parasite& p3 = addParasite(list, "Elsewhere");
    addFile(p3, "evil.dll", dir + "\\nowhere");
    addFolder(p3, "evildir", dir + "\\app");
    Parasite& p4 = addParasite(list, "Trailing backslash");
    addFile(p4, "evil.dll", dir + "\\App\\");

    walkChosenFolder(run, dir);

    std::vector<std::string> got;
    for (const Find& f : reporter.finds)
        got.push_back(std::string(typeWord(f.kind)) + ":" + std::to_string(f.parasiteIndex) +
                      ":" + std::to_string(f.itemIndex) + ":" + f.location);
    std::sort(got.begin(), got.end());
    std::vector<std::string> expected = {
        "File:0:0:" + dir + "\\App\\evil.dll",
        "File:1:0:" + dir + "\\App\\evil.dll",
        "Folder:3:0:" + dir + "\\App\\EvilDir",
    };
    EXPECT_EQ(expected, got);
    EXPECT_EQ(dir + "\\App", foundIn(ItemKind::File, 0, 0));   // the disk's spelling
    EXPECT_FALSE(isFound(ItemKind::File, 0, 1));
    EXPECT_EQ(dir + "\\App", foundIn(ItemKind::Folder, 3, 0));
    EXPECT_EQ(upper, p0.files[0]->path);   // the definitions stay as loaded
    EXPECT_EQ("Found", p0.status);
    EXPECT_EQ("Not scanned", p2.status);
    EXPECT_EQ("Not scanned", p4.status);
    // The finds of one file come together, in parasite order.
    ASSERT_EQ(3u, reporter.finds.size());
    for (size_t i = 0; i + 1 < reporter.finds.size(); ++i) {
        if (reporter.finds[i].location == reporter.finds[i + 1].location) {
            EXPECT_LT(reporter.finds[i].parasiteIndex, reporter.finds[i + 1].parasiteIndex);
        }
    }
}

TEST_F(ItemChecks, FolderScanOfADriveRootDescendsEverywhere)
{
    Parasite& p = addParasite(list, "P");
    addFile(p, "rootfile.dll", "D:");
    addFile(p, "onremovable.dll", "D:\\deep\\er");
    Parasite& q = addParasite(list, "Q");
    addFile(q, "onremovable.dll", "d:\\DEEP\\ER");
    walkChosenFolder(run, "D:\\");
    std::set<std::string> got;
    for (const Find& f : reporter.finds)
        got.insert(std::to_string(f.parasiteIndex) + f.location);
    EXPECT_EQ((std::set<std::string>{"0D:\\rootfile.dll", "0D:\\deep\\er\\onremovable.dll",
                                     "1D:\\deep\\er\\onremovable.dll"}),
              got);
    EXPECT_EQ("D:\\deep\\er", foundIn(ItemKind::File, 1, 0));
}
