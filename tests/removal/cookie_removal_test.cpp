// Cookie files: which files an item stands for, and their removal with one
// record per item.
#include "removal/cookie_removal.h"

#include "platform/paths.h"
#include "platform/shell.h"
#include "removal/cookie_files.h"
#include "removal/reboot_pending.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

std::vector<std::string> baseNames(const std::vector<std::string>& paths)
{
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(ks::baseNameOf(path));
    return names;
}

}  // namespace

TEST(CookieFiles, TheNeedleIsMatchedInTheFileNameOnly)
{
    // The folder's own path holds "cookies", "kestrune" and "work".
    const std::string folder = ts::freshWorkFolder("cookie-match\\Cookies");
    for (const char* name : {"user@adserver[1].txt", "user@AdServer.com[2].txt", "user@news[1].txt",
                             "index.dat"})
        ts::writeTextFile(folder + "\\" + name);
    ts::writeTextFile(folder + "\\adserver-folder\\inside.txt");

    struct Case {
        const char* name;
        std::vector<std::string> expected;
    } cases[] = {
        {"Ad Server", {"user@adserver[1].txt", "user@AdServer.com[2].txt"}},
        {"ADSERVER", {"user@adserver[1].txt", "user@AdServer.com[2].txt"}},
        {"news", {"user@news[1].txt"}},
        {"cookies", {}},
        {"kestrune", {}},
        {"", {}},
        {"   ", {}},
        {"nothing", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names = baseNames(ks::matchingCookieFiles(folder, c.name));
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected = c.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, names) << "'" << c.name << "'";
    }
    // No cookies folder: nothing is listed, not even the drive root.
    ts::writeTextFile("C:\\adserver-root.txt");
    EXPECT_TRUE(ks::matchingCookieFiles("", "adserver").empty());
    DeleteFileA("C:\\adserver-root.txt");
}

TEST(CookieRemoval, EveryMatchingFileGoesAndTheItemIsLoggedOnce)
{
    const std::string work = ts::freshWorkFolder("cookie-removal");
    const std::string folder = work + "\\Cookies";
    ts::writeTextFile(folder + "\\user@adserver[1].txt");
    ts::writeTextFile(folder + "\\user@adserver[2].txt");
    ts::writeTextFile(folder + "\\user@news[1].txt");
    ks::ParasiteList list;
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::cookieItem(bad, "Ad Server");
    ts::cookieItem(bad, "nomatch");
    ts::cookieItem(bad, "news", false);
    ts::cookieItem(ts::parasiteNamed(list, "Other"), "adserver");   // taken by the first
    ts::RecordingRemovalReport report;
    ks::RemovalLog log(work, "log.txt");
    ks::RemovalRun run(log, &report, ts::machinePlaces());

    ks::removeCookieItems(list, run, folder);

    EXPECT_EQ((std::vector<std::string>{"user@news[1].txt"}), ts::folderNames(folder));
    EXPECT_EQ("[TYPE:COOKIE]\r\n[ACTION:DELETED]\r\n[VALUE:Ad Server]\r\n"
              "[TYPE:COOKIE]\r\n[ACTION:DELETED]\r\n[VALUE:adserver]\r\n",
              ts::readTextFile(work + "\\log.txt"));
    ASSERT_EQ(2u, report.outcomes.size());
    EXPECT_EQ(0, report.outcomes[0].itemIndex);
    EXPECT_EQ(1, report.outcomes[1].parasiteIndex);
    EXPECT_EQ("Removed", bad.status);
}

TEST(CookieRemoval, ACookieFileInUseIsScheduledAndLoggedAsFailed)
{
    const std::string work = ts::freshWorkFolder("cookie-busy");
    const std::string folder = work + "\\Cookies";
    ts::writeTextFile(folder + "\\user@tracker[1].txt");
    ts::StartedProgram holder(ts::removalHelperPath(),
                                  "hold \"" + folder + "\\user@tracker[1].txt\"");
    ASSERT_TRUE(ts::waitUntilHeld(folder + "\\user@tracker[1].txt"));
    ks::ParasiteList list;
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::cookieItem(bad, "tracker");
    ks::RemovalLog log(work, "log.txt");
    ks::RemovalRun run(log, nullptr, ts::machinePlaces());
    ks::removeCookieItems(list, run, folder);
    EXPECT_EQ("[TYPE:COOKIE]\r\n[ACTION:FAILED TO DELETE]\r\n[VALUE:tracker]\r\n",
              ts::readTextFile(work + "\\log.txt"));
    EXPECT_EQ("Failed to Remove", bad.status);
    EXPECT_EQ(1, run.totals().scheduled);
    EXPECT_TRUE(ks::rebootPending);
    ks::rebootPending = false;
}

TEST(CookieRemoval, TheUsersCookiesFolderIsTheDefault)
{
    const std::string folder = ks::cookiesFolder();
    ASSERT_FALSE(folder.empty());
    ts::writeTextFile(folder + "\\user@defaultfolder[1].txt");
    ks::ParasiteList list;
    ts::cookieItem(ts::parasiteNamed(list, "Bad"), "defaultfolder");
    const std::string work = ts::freshWorkFolder("cookie-default");
    ks::RemovalLog log(work, "log.txt");
    ks::RemovalRun run(log, nullptr, ts::machinePlaces());
    ks::removeCookieItems(list, run);
    EXPECT_FALSE(ts::pathExists(folder + "\\user@defaultfolder[1].txt"));
    EXPECT_EQ(1, run.totals().deleted);
}
