// Removal of files and folders on the test prefix's drive: running programs
// ended by their full path only, files held open scheduled for the restart,
// missing files, read-only files and links inside folders, and the items that
// cannot name a place.
#include "removal/file_removal.h"

#include "platform/file_bytes.h"
#include "platform/wide_paths.h"
#include "removal/process_control.h"
#include "removal/reboot_pending.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <iterator>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;
using ks::RemovalResult;

namespace {

class FileRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks::rebootPending = false;
        work = ts::freshWorkFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    void removeAll()
    {
        ks::RemovalLog log(work, "log.txt");
        ks::RemovalRun run(log, &report, ts::machinePlaces());
        ks::removeFileItems(list, run);
    }
    std::string logText() const { return ts::readTextFile(work + "\\log.txt"); }
    RemovalResult resultOf(size_t n) const
    {
        return n < report.outcomes.size() ? report.outcomes[n].result : RemovalResult::Refused;
    }

    ks::ParasiteList list;
    ts::RecordingRemovalReport report;
    std::string work;
};

}  // namespace

TEST_F(FileRemoval, ARunningProgramIsEndedAndItsFileDeleted)
{
    const std::string folder = work + "\\Bad";
    ts::copyHelperTo(folder + "\\bad.exe");
    ts::StartedProgram program(folder + "\\bad.exe", "wait");
    ASSERT_TRUE(program.running());
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "bad.exe", folder);

    removeAll();

    EXPECT_FALSE(program.running());
    EXPECT_FALSE(ts::pathExists(folder + "\\bad.exe"));
    EXPECT_EQ(RemovalResult::Deleted, resultOf(0));
    EXPECT_EQ("Removed", bad.status);
    EXPECT_FALSE(ks::rebootPending);
    ASSERT_FALSE(report.steps.empty());
    EXPECT_EQ(ks::ProgramStep::Terminated, report.steps[0].kind);
    EXPECT_EQ("[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:bad.exe]\r\n[PATH:" + folder + "]\r\n",
              logText());
}

TEST_F(FileRemoval, OnlyTheProcessOfThatVeryFileIsEnded)
{
    // Same name elsewhere, a name that contains it, and a name it contains.
    const std::string bad = work + "\\Bad\\a.exe";
    const std::string twin = work + "\\Elsewhere\\a.exe";
    const std::string banana = work + "\\Bad\\banana.exe";
    const std::string shortName = work + "\\Bad\\host.exe";
    const std::string longName = work + "\\Bad\\svchost.exe";
    for (const std::string& path : {bad, twin, banana, shortName, longName})
        ts::copyHelperTo(path);
    ts::StartedProgram twinRun(twin, "wait");
    ts::StartedProgram bananaRun(banana, "wait");
    ts::StartedProgram longRun(longName, "wait");
    ts::StartedProgram badRun(bad, "wait");
    ks::Parasite& parasite = ts::parasiteNamed(list, "Bad");
    ts::fileItem(parasite, "a.exe", work + "\\Bad");
    ts::fileItem(parasite, "host.exe", work + "\\Bad");

    removeAll();

    EXPECT_FALSE(badRun.running());
    EXPECT_TRUE(twinRun.running());
    EXPECT_TRUE(bananaRun.running());
    EXPECT_TRUE(longRun.running());
    EXPECT_FALSE(ts::pathExists(bad));
    EXPECT_FALSE(ts::pathExists(shortName));
    EXPECT_TRUE(ts::pathExists(twin));
}

TEST_F(FileRemoval, EveryProcessOfTheFileIsEnded)
{
    const std::string path = work + "\\Bad\\twice.exe";
    ts::copyHelperTo(path);
    ts::StartedProgram first(path, "wait");
    ts::StartedProgram second(path, "wait");
    EXPECT_EQ(2, ks::terminateProcessByName(path, ts::machinePlaces()));
    EXPECT_FALSE(first.running());
    EXPECT_FALSE(second.running());
    EXPECT_EQ(0, ks::terminateProcessByName(path, ts::machinePlaces()));
}

TEST_F(FileRemoval, TheShortFormOfThePathReachesTheProcessToo)
{
    const std::string path = work + "\\Long Folder Name\\long program name.exe";
    ts::copyHelperTo(path);
    ts::StartedProgram program(path, "wait");
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath || path == shortPath)
        GTEST_SKIP() << "no short names on this file system";
    EXPECT_EQ(1, ks::terminateProcessByName(shortPath, ts::machinePlaces()));
    EXPECT_FALSE(program.running());
}

TEST_F(FileRemoval, AFileInUseIsScheduledForTheRestartAndLoggedAsFailed)
{
    const std::string folder = work + "\\Bad";
    const std::string held = folder + "\\busy.dat";
    ts::writeTextFile(held, "busy");
    ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + held + "\"");
    ASSERT_FALSE(DeleteFileA(held.c_str())) << "the helper does not hold the file";
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "busy.dat", folder);

    removeAll();

    EXPECT_EQ(RemovalResult::Scheduled, resultOf(0));
    EXPECT_TRUE(ks::rebootPending);
    EXPECT_EQ("Failed to Remove", bad.status);
    EXPECT_NE(std::string::npos, ts::pendingRenames().find(held)) << ts::pendingRenames();
    EXPECT_EQ("[TYPE:FILE]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:busy.dat]\r\n[PATH:" + folder +
                  "]\r\n",
              logText());
}

// A delete that the system accepts does not yet make the file go while
// another program holds it open with delete sharing: only a file that is
// really gone counts as deleted.
TEST_F(FileRemoval, AFileHeldOpenWithDeleteSharingCountsByWhatIsLeft)
{
    const std::string held = work + "\\Bad\\shared.dat";
    ts::writeTextFile(held, "shared");
    ts::StartedProgram holder(ts::removalHelperPath(), "hold-shared \"" + held + "\"");
    ASSERT_TRUE(ts::waitUntilHeld(held)) << "the helper does not hold the file";
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "shared.dat", work + "\\Bad");
    removeAll();
    const bool left = ts::pathExists(held);
    EXPECT_EQ(left ? RemovalResult::Scheduled : RemovalResult::Deleted, resultOf(0));
    EXPECT_EQ(left, ks::rebootPending);
    EXPECT_EQ(left, logText().find("FAILED TO DELETE") != std::string::npos) << logText();
}

TEST_F(FileRemoval, MissingAndReadOnlyFilesCountAsDeletedAndAreNotScheduled)
{
    const std::string readOnly = work + "\\Bad\\locked.txt";
    ts::writeTextFile(readOnly, "locked");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "gone.exe", work + "\\Nowhere");
    ts::fileItem(bad, "locked.txt", work + "\\Bad");
    removeAll();
    EXPECT_EQ(RemovalResult::Deleted, resultOf(0));
    EXPECT_EQ(RemovalResult::Deleted, resultOf(1));
    EXPECT_FALSE(ts::pathExists(readOnly));
    EXPECT_FALSE(ks::rebootPending);
    EXPECT_EQ(std::string::npos, ts::pendingRenames().find("gone.exe"));
}

TEST_F(FileRemoval, TwoItemsOfTheSameNameAreBothDeletedAndUnselectedOnesStay)
{
    ts::copyHelperTo(work + "\\A\\dup.dll", "test_component.dll");
    ts::copyHelperTo(work + "\\B\\dup.dll", "test_component.dll");
    ts::writeTextFile(work + "\\C\\dup.dll", "c");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "dup.dll", work + "\\A");
    ts::fileItem(bad, "dup.dll", work + "\\B");
    ts::fileItem(bad, "dup.dll", work + "\\C", false);
    removeAll();
    EXPECT_FALSE(ts::pathExists(work + "\\A\\dup.dll"));
    EXPECT_FALSE(ts::pathExists(work + "\\B\\dup.dll"));
    EXPECT_TRUE(ts::pathExists(work + "\\C\\dup.dll"));
    // Each component was unregistered before its deletion.
    int unregistered = 0;
    for (const ks::ProgramStep& step : report.steps)
        unregistered += step.kind == ks::ProgramStep::Unregistered ? 1 : 0;
    EXPECT_EQ(4, unregistered);   // both passes, both files
    EXPECT_EQ("unregistered\r\nunregistered\r\n",
              ts::readTextFile(work + "\\A\\dup.dll.unregistered"));
}

TEST_F(FileRemoval, OnlyComponentsWithAnUnregisteringEntryStartRegsvr32AndUnopenableOnesAreSpared)
{
    const std::string folder = work + "\\Bad";
    ts::copyHelperTo(folder + "\\real.ocx", "test_component.dll");
    ts::copyHelperTo(folder + "\\plain.dll", "test_library.dll");
    ts::writeTextFile(folder + "\\junk.dll", "MZ but nothing more");
    const std::string busy = folder + "\\busy.dll";
    ts::writeTextFile(busy, "busy");
    ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + busy + "\"");
    for (int i = 0; i < 100 && ks::FileBytes(busy).opened(); ++i)
        Sleep(20);
    ASSERT_FALSE(ks::FileBytes(busy).opened()) << "the helper does not hold the file";
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    for (const char* name : {"real.ocx", "plain.dll", "junk.dll", "busy.dll"})
        ts::fileItem(bad, name, folder);

    removeAll();

    std::vector<std::string> unregistered;
    for (const ks::ProgramStep& step : report.steps)
        if (step.kind == ks::ProgramStep::Unregistered)
            unregistered.push_back(step.path.substr(folder.size() + 1));
    // A file that cannot be opened cannot be judged (regsvr32 could not load it either).
    EXPECT_EQ((std::vector<std::string>{"real.ocx", "real.ocx"}), unregistered);
    EXPECT_TRUE(ts::pathExists(folder + "\\real.ocx.unregistered"));
    ASSERT_FALSE(report.steps.empty());
    EXPECT_EQ(ks::ProgramStep::Spared, report.steps.back().kind);
    EXPECT_EQ(busy, report.steps.back().path);
    ASSERT_EQ(4u, report.outcomes.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(RemovalResult::Deleted, resultOf(i)) << report.outcomes[i].name;
    EXPECT_EQ(RemovalResult::Scheduled, resultOf(3));
}

TEST_F(FileRemoval, ItemsThatCannotNameAPlaceAreRefused)
{
    ts::writeTextFile(work + "\\keep.txt", "keep");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    bad.status = "Found";
    ts::fileItem(bad, "keep.txt", "");         // would become "\keep.txt"
    ts::fileItem(bad, "", work);               // would be the folder itself
    ts::fileItem(bad, "..\\keep.txt", work + "\\sub");
    ts::folderItem(bad, "..", work + "\\sub");
    ts::folderItem(bad, "", work);
    removeAll();
    EXPECT_TRUE(ts::pathExists(work + "\\keep.txt"));
    EXPECT_TRUE(ks::isFolder(work));
    ASSERT_EQ(5u, report.outcomes.size());
    for (const ks::RemovalOutcome& outcome : report.outcomes)
        EXPECT_EQ(RemovalResult::Refused, outcome.result);
    EXPECT_EQ("Found", bad.status);
}

TEST_F(FileRemoval, AFolderTreeGoesWithTheProgramsRunningInIt)
{
    const std::string folder = work + "\\Bad";
    ts::writeTextFile(folder + "\\a.txt");
    ts::writeTextFile(folder + "\\sub\\deeper\\b.txt");
    ts::copyHelperTo(folder + "\\sub\\runner.exe");
    ts::StartedProgram runner(folder + "\\sub\\runner.exe", "wait");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::folderItem(bad, "Bad", work);
    ts::folderItem(bad, "NeverThere", work);

    removeAll();

    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(ts::pathExists(folder));
    EXPECT_EQ(RemovalResult::Deleted, resultOf(0));
    EXPECT_EQ(RemovalResult::Deleted, resultOf(1));
    EXPECT_EQ("[TYPE:DIRECTORY]\r\n[ACTION:DELETED]\r\n[NAME:Bad]\r\n[PATH:" + work + "]\r\n" +
                  "[TYPE:DIRECTORY]\r\n[ACTION:DELETED]\r\n[NAME:NeverThere]\r\n[PATH:" + work +
                  "]\r\n",
              logText());
}

TEST_F(FileRemoval, AFolderWithAReadOnlyFileIsLoggedAsFailed)
{
    const std::string folder = work + "\\Bad";
    ts::writeTextFile(folder + "\\locked.txt");
    SetFileAttributesA((folder + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::folderItem(bad, "Bad", work);
    removeAll();
    EXPECT_TRUE(ks::isFolder(folder));
    EXPECT_EQ(RemovalResult::Failed, resultOf(0));
    EXPECT_EQ("Failed to Remove", bad.status);
    EXPECT_FALSE(ks::rebootPending);
    EXPECT_EQ("[TYPE:DIRECTORY]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:Bad]\r\n[PATH:" + work +
                  "]\r\n",
              logText());
    SetFileAttributesA((folder + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileRemoval, AFolderHoldingALinkIsEmptiedButTheLinkAndItsTargetStay)
{
    const std::string root = "C:\\removalfix\\linked";
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::folderItem(bad, "Bad", root);
    removeAll();
    EXPECT_EQ(RemovalResult::Failed, resultOf(0));
    EXPECT_TRUE(ts::pathExists(root + "\\outside\\keep.txt"));
    EXPECT_TRUE(ts::pathExists(root + "\\Bad\\outlink"));
    EXPECT_FALSE(ts::pathExists(root + "\\Bad\\plain.txt"));
    EXPECT_FALSE(ts::pathExists(root + "\\Bad\\sub"));
    EXPECT_EQ((std::vector<std::string>{"outlink"}), ts::folderNames(root + "\\Bad"));
}

TEST_F(FileRemoval, FilesOfEveryParasiteGoBeforeAnyFolder)
{
    ts::writeTextFile(work + "\\F1\\one.txt");
    ts::writeTextFile(work + "\\D1\\x.txt");
    ts::writeTextFile(work + "\\F2\\two.txt");
    ks::Parasite& first = ts::parasiteNamed(list, "First");
    ts::folderItem(first, "D1", work);
    ts::fileItem(first, "one.txt", work + "\\F1");
    ks::Parasite& second = ts::parasiteNamed(list, "Second");
    ts::fileItem(second, "two.txt", work + "\\F2");
    removeAll();
    ASSERT_EQ(3u, report.outcomes.size());
    EXPECT_EQ("one.txt", report.outcomes[0].name);
    EXPECT_EQ("two.txt", report.outcomes[1].name);
    EXPECT_EQ("D1", report.outcomes[2].name);
}

TEST_F(FileRemoval, AFileThatIsMoreThanItsNameIsNeitherStoppedNorUnregisteredAndLosesOnlyTheName)
{
    // Hard links to a component, a program and a system DLL, and a copy of
    // the system DLL (its version resource names it), planted as parasites.
    const std::string system = "C:\\windows\\system32\\shell32.dll";
    const std::string registration =
        "Software\\Classes\\CLSID\\{00021400-0000-0000-C000-000000000046}\\InprocServer32";
    ASSERT_TRUE(ts::registryKeyPresent(HKEY_LOCAL_MACHINE, registration));
    const std::string component = work + "\\Shared\\component.dll";
    const std::string program = work + "\\Shared\\program.exe";
    ts::copyHelperTo(component, "test_component.dll");
    ts::copyHelperTo(program);
    const std::string folder = work + "\\Bad";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    struct Case {
        const char* name;
        std::string other;
        bool hardLink;
        const char* reason;
        RemovalResult result;   // a running program's name goes at the restart
    } cases[] = {
        {"linked.dll", component, true, "it has other names (hard links)", RemovalResult::Deleted},
        {"linked.exe", program, true, "it has other names (hard links)", RemovalResult::Scheduled},
        {"shell32.dll", system, true, "it has other names (hard links)", RemovalResult::Deleted},
        {"copy.ocx", system, false, "it is a copy of the system file shell32.dll",
         RemovalResult::Deleted},
    };
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    std::vector<std::string> before;
    for (const Case& c : cases) {
        const std::string path = folder + "\\" + c.name;
        before.push_back(ts::readTextFile(c.other));
        ASSERT_FALSE(before.back().empty()) << c.other;
        ASSERT_TRUE(c.hardLink ? CreateHardLinkA(path.c_str(), c.other.c_str(), nullptr)
                               : CopyFileA(c.other.c_str(), path.c_str(), TRUE))
            << path;
        ts::fileItem(bad, c.name, folder);
    }
    ts::StartedProgram running(folder + "\\linked.exe", "wait");

    removeAll();

    EXPECT_TRUE(running.running());
    EXPECT_TRUE(ts::registryKeyPresent(HKEY_LOCAL_MACHINE, registration));
    EXPECT_FALSE(ts::pathExists(component + ".unregistered"));
    EXPECT_FALSE(ts::pathExists(folder + "\\linked.dll.unregistered"));
    ASSERT_EQ(std::size(cases), report.outcomes.size());
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(before[i], ts::readTextFile(c.other)) << c.other;
        EXPECT_EQ(c.result, resultOf(i)) << c.name;
        EXPECT_EQ(c.result == RemovalResult::Scheduled, ts::pathExists(folder + "\\" + c.name))
            << c.name;
        // Both passes spare it, and nothing else is done to it.
        std::vector<std::string> reasons;
        for (const ks::ProgramStep& step : report.steps) {
            if (step.path == folder + "\\" + c.name) {
                EXPECT_EQ(ks::ProgramStep::Spared, step.kind) << c.name;
                reasons.push_back(step.reason);
            }
        }
        EXPECT_EQ(std::vector<std::string>(2, c.reason), reasons) << c.name;
    }
}
