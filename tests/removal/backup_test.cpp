// The backup before a removal: regedit exports of the selected registry items,
// copies of files, folders and cookie files with Config.ini and the manifest,
// and the whole backup packed into a dated archive, read back entry by entry.
#include "removal/backup_run.h"

#include "platform/paths.h"
#include "platform/system_text.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/backup_leftovers.h"
#include "removal/file_backup.h"
#include "removal/registry_backup.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"
#include "support/zip_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

const char kKeys[] = "Software\\KestruneBackupTest";

// regedit writes UTF-16 text; the tests look for ASCII texts in it.
std::string narrowed(const std::string& utf16)
{
    std::string text;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        if (utf16[i + 1] == 0)
            text += utf16[i];
    }
    return text;
}

std::vector<std::string> sortedNames(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class Backup : public ::testing::Test {
protected:
    void SetUp() override
    {
        work = ts::freshWorkFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        places.archiveFolder = work + "\\Archives";
        places.backupFolder = work + "\\Temp\\KestruneBackup";
        places.cookiesFolder = work + "\\Cookies";
        ts::removeRegistryTree(HKEY_CURRENT_USER, kKeys);
    }
    void TearDown() override { ts::removeRegistryTree(HKEY_CURRENT_USER, kKeys); }

    std::string keyPath(const std::string& rest) const { return std::string(kKeys) + "\\" + rest; }

    std::string work;
    ks::BackupPlaces places;
    ks::ParasiteList list;
    ts::RecordingBackupReport report;
};

}  // namespace

TEST_F(Backup, RegistryExportsAreWaitedForAndNamedApartAcrossParasites)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, keyPath("One\\Deep"), "v", "one");
    ts::writeRegistryString(HKEY_CURRENT_USER, keyPath("Two"), "w", "two");
    ts::writeRegistryString(HKEY_CURRENT_USER, keyPath("Run"), "Bad", "bad.exe");
    ts::writeRegistryString(HKEY_CURRENT_USER, keyPath("Run\\Sub"), "x", "sub");
    ks::Parasite& first = ts::parasiteNamed(list, "First");
    ts::keyItem(first, "HKEY_CURRENT_USER", kKeys, "One");
    ks::Parasite& second = ts::parasiteNamed(list, "Second");
    ts::keyItem(second, "HKEY_CURRENT_USER", kKeys, "Missing", false);
    ts::keyItem(second, "HKEY_CURRENT_USER", kKeys, "Two");
    ks::Parasite& third = ts::parasiteNamed(list, "Third");
    ts::keyItem(third, "HKEY_CURRENT_USER", kKeys, "Two");   // rkBackup1 again
    ts::valueItem(third, "HKEY_CURRENT_USER", keyPath("Run"), "Bad");
    // Nothing to lose: gone already, unknown hive, no key name.
    ts::keyItem(third, "HKEY_CURRENT_USER", kKeys, "Gone");
    ts::keyItem(third, "HKEY_BOGUS", kKeys, "One");
    ts::keyItem(third, "HKEY_CURRENT_USER", kKeys, "");
    // Reached through a registry link (refused by the removal), or a link
    // itself (only the link goes): regedit would follow it.
    ts::makeRegistryLink(HKEY_CURRENT_USER, keyPath("Link"), HKEY_CURRENT_USER, keyPath("One"));
    ts::keyItem(third, "HKEY_CURRENT_USER", kKeys, "Link\\Deep");
    ts::keyItem(third, "HKEY_CURRENT_USER", kKeys, "Link");
    ts::valueItem(third, "HKEY_CURRENT_USER", keyPath("Link\\Deep"), "v");

    ASSERT_TRUE(ks::prepareBackupFolder(places.backupFolder));
    ks::BackupSession session(places.backupFolder, &report);
    ks::backupRegistryItems(list, session, ts::machinePlaces());

    EXPECT_TRUE(session.complete());
    EXPECT_EQ(sortedNames({"rkBackup1.reg", "rkBackup2.reg", "rkBackup1 (2).reg", "rvBackup1.reg"}),
              sortedNames(ts::folderNames(places.backupFolder)));
    const std::string one = ts::readTextFile(places.backupFolder + "\\rkBackup1.reg");
    ASSERT_GE(one.size(), 2u);
    EXPECT_EQ("\xff\xfe", one.substr(0, 2));
    EXPECT_EQ(0u, narrowed(one).find("Windows Registry Editor Version 5.00"));
    EXPECT_NE(std::string::npos,
              narrowed(one).find("[HKEY_CURRENT_USER\\Software\\KestruneBackupTest\\One\\Deep]"));
    EXPECT_NE(std::string::npos, narrowed(ts::readTextFile(places.backupFolder +
                                                           "\\rkBackup1 (2).reg"))
                                     .find("\"w\"=\"two\""));
    // A value's export holds its whole key, subkeys included.
    const std::string value = narrowed(ts::readTextFile(places.backupFolder + "\\rvBackup1.reg"));
    EXPECT_NE(std::string::npos, value.find("\"Bad\"=\"bad.exe\""));
    EXPECT_NE(std::string::npos, value.find("\"x\"=\"sub\""));
    ASSERT_EQ(4u, report.steps.size());
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\KestruneBackupTest\\One", report.steps[0].source);
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\KestruneBackupTest\\Run", report.steps[3].source);
}

TEST_F(Backup, PreparingTheFolderRemovesWhatAnEarlierBackupLeft)
{
    ts::writeTextFile(places.backupFolder + "\\old.reg");
    ts::writeTextFile(places.backupFolder + "\\Old\\tree.txt");
    EXPECT_TRUE(ks::prepareBackupFolder(places.backupFolder));
    EXPECT_TRUE(ts::folderNames(places.backupFolder).empty());
    ASSERT_FALSE(ks::backupFolderPath().empty());
    EXPECT_EQ("KestruneBackup", ks::backupFolderPath().substr(ks::backupFolderPath().size() - 14));
}

TEST_F(Backup, ConfigIniRecordsEverySelectedItemByteForByte)
{
    ts::writeTextFile(work + "\\A\\same.dll", "from A");
    ts::writeTextFile(work + "\\B\\same.dll", "from B");
    ts::writeTextFile(work + "\\Prog\\Bad\\x.txt", "x");
    ts::writeTextFile(work + "\\Prog\\Bad\\Sub\\y.txt", "y");
    ASSERT_TRUE(SetFileAttributesA((work + "\\Prog\\Bad\\Sub\\y.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((work + "\\B\\same.dll").c_str(), FILE_ATTRIBUTE_READONLY));
    ts::writeTextFile(places.cookiesFolder + "\\user@AdServer[1].txt", "c1");
    ts::writeTextFile(places.cookiesFolder + "\\user@adserver[2].txt", "c2");
    ks::Parasite& first = ts::parasiteNamed(list, "First");
    ts::fileItem(first, "same.dll", work + "\\A");
    ts::folderItem(first, "Bad", work + "\\Prog");
    ts::cookieItem(first, "Ad Server");
    ks::Parasite& second = ts::parasiteNamed(list, "Second");
    ts::fileItem(second, "same.dll", work + "\\B");
    ts::fileItem(second, "missing.exe", work + "\\Nowhere");
    ts::fileItem(second, "SAME.DLL", work + "\\a");   // the first file again: copied once
    ts::cookieItem(second, "nomatch");
    ts::cookieItem(second, "adserver");   // the cookie files of the first item again

    ASSERT_TRUE(ks::prepareBackupFolder(places.backupFolder));
    ks::BackupSession session(places.backupFolder, &report);
    ks::backupFileItems(list, session, places.cookiesFolder, ts::machinePlaces());
    session.writeManifest();

    EXPECT_TRUE(session.complete());
    const std::string cookieA = ts::readTextFile(places.backupFolder + "\\user@AdServer[1].txt");
    EXPECT_EQ("c1", cookieA);
    EXPECT_EQ("from A", ts::readTextFile(places.backupFolder + "\\same.dll"));
    EXPECT_EQ("from B", ts::readTextFile(places.backupFolder + "\\same (2).dll"));
    EXPECT_EQ("y", ts::readTextFile(places.backupFolder + "\\Bad\\Sub\\y.txt"));
    const std::string lowerCookies = ks::foldedText(places.cookiesFolder) + "\\";
    EXPECT_EQ("[TYPE:FILE]\r\n[NAME:same.dll]\r\n[PATH:" + work + "\\A]\r\n"
              "[TYPE:FILE]\r\n[NAME:same.dll]\r\n[PATH:" + work + "\\B]\r\n"
              "[TYPE:FILE]\r\n[NAME:missing.exe]\r\n[PATH:" + work + "\\Nowhere]\r\n"
              "[TYPE:FILE]\r\n[NAME:SAME.DLL]\r\n[PATH:" + work + "\\a]\r\n"
              "[TYPE:DIRECTORY]\r\n[NAME:Bad]\r\n[PATH:" + work + "\\Prog]\r\n"
              "[TYPE:COOKIE]\r\n[NAME:Ad Server]\r\n[PATH:" + lowerCookies + "user@adserver[1].txt]\r\n"
              "[TYPE:COOKIE]\r\n[NAME:Ad Server]\r\n[PATH:" + lowerCookies + "user@adserver[2].txt]\r\n"
              "[TYPE:COOKIE]\r\n[NAME:nomatch]\r\n[PATH:]\r\n"
              "[TYPE:COOKIE]\r\n[NAME:adserver]\r\n[PATH:" + lowerCookies + "user@adserver[1].txt]\r\n"
              "[TYPE:COOKIE]\r\n[NAME:adserver]\r\n[PATH:" + lowerCookies + "user@adserver[2].txt]\r\n",
              ts::readTextFile(places.backupFolder + "\\Config.ini"));
    const std::string manifest = ts::readTextFile(places.backupFolder + "\\Manifest.ini");
    // One copy, and one manifest record, per file however many items name it.
    EXPECT_EQ(sortedNames({"Bad", "Config.ini", "Manifest.ini", "same (2).dll", "same.dll",
                           "user@AdServer[1].txt", "user@adserver[2].txt"}),
              sortedNames(ts::folderNames(places.backupFolder)));
    size_t records = 0;
    for (size_t at = manifest.find("[TYPE:"); at != std::string::npos;
         at = manifest.find("[TYPE:", at + 1))
        ++records;
    EXPECT_EQ(5u, records) << manifest;
    EXPECT_NE(std::string::npos,
              manifest.find("[TYPE:FILE]\r\n[ENTRY:same (2).dll]\r\n[PATH:" + work +
                            "\\B\\same.dll]\r\n[ATTRIBUTES:21]\r\n"))
        << manifest;
    // The attributes of everything inside a folder too; the copies are plain,
    // so the backup folder can be emptied.
    EXPECT_NE(std::string::npos, manifest.find("[TYPE:DIRECTORY]\r\n[ENTRY:Bad]\r\n"));
    EXPECT_NE(std::string::npos, manifest.find("[INSIDE:23:Sub\\y.txt]\r\n")) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("[INSIDE:10:Sub]\r\n")) << manifest;
    EXPECT_EQ(0u, GetFileAttributesA((places.backupFolder + "\\Bad\\Sub\\y.txt").c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    SetFileAttributesA((work + "\\B\\same.dll").c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA((work + "\\Prog\\Bad\\Sub\\y.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Backup, AFileThatCannotBeCopiedMakesTheBackupIncomplete)
{
    const std::string held = work + "\\Busy\\held.exe";
    ts::writeTextFile(held, "busy");
    ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + held + "\"");
    ts::fileItem(ts::parasiteNamed(list, "Bad"), "held.exe", work + "\\Busy");
    ks::BackupOutcome outcome = ks::makeBackup(list, &report, ts::machinePlaces(), places);
    EXPECT_TRUE(outcome.archiveOpened);
    EXPECT_FALSE(outcome.complete);
    ASSERT_FALSE(report.steps.empty());
    EXPECT_EQ(ks::BackupStepKind::FileCopy, report.steps[0].kind);
    EXPECT_FALSE(report.steps[0].ok);
    // No archive holds no item: none is kept, not even unfinished.
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(ts::folderNames(places.archiveFolder).empty());
}

TEST_F(Backup, ALeftoverThatCannotBeRemovedIsNoBackupFailure)
{
    const std::string held = places.backupFolder + "\\stale.reg";
    ts::writeTextFile(held, "from an earlier backup");
    ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + held + "\"");
    ts::writeTextFile(work + "\\f.txt", "f");
    ts::fileItem(ts::parasiteNamed(list, "Bad"), "f.txt", work);
    ks::BackupOutcome outcome = ks::makeBackup(list, &report, ts::machinePlaces(), places);
    EXPECT_TRUE(outcome.complete);
    for (const ks::BackupStep& step : report.steps)
        EXPECT_TRUE(step.ok) << step.source;
    EXPECT_EQ(sortedNames({"Config.ini", "Manifest.ini", "f.txt"}),
              sortedNames(ts::zipEntryNames(outcome.archivePath)));
    EXPECT_TRUE(ts::pathExists(held));
}

TEST_F(Backup, TheArchiveHoldsExportsCopiesAndDescriptionsAndTheFolderIsEmptiedAfterwards)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, keyPath("Bad"), "v", "x");
    ts::writeTextFile(work + "\\Prog\\.secret", "dot file");
    ts::writeTextFile(work + "\\Prog\\Bad\\a.txt", "a");
    ts::writeTextFile(work + "\\Prog\\Bad\\Sub\\a.txt", "inner a");
    ts::writeTextFile(places.backupFolder + "\\stale.reg", "from an earlier backup");
    // The folder walks pass dot names by, so this one cannot be cleared away;
    // it must not reach the archive either.
    ts::writeTextFile(places.backupFolder + "\\.stale", "from an earlier backup");
    // What a killed run left: its copies and its unfinished archive.
    ts::writeTextFile(places.backupFolder + "\\run-4000000-01D0000000000000\\bad.exe", "copy");
    ts::writeTextFile(places.archiveFolder + "\\1,2,2020_3,4,5.zip.partial", "half");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::keyItem(bad, "HKEY_CURRENT_USER", kKeys, "Bad");
    ts::fileItem(bad, ".secret", work + "\\Prog");
    ts::folderItem(bad, "Bad", work + "\\Prog");

    ks::BackupOutcome outcome = ks::makeBackup(list, &report, ts::machinePlaces(), places);

    ASSERT_TRUE(outcome.archiveOpened);
    EXPECT_TRUE(outcome.complete);
    ASSERT_EQ(1u, report.archives.size());
    EXPECT_EQ(outcome.archivePath, report.archives[0]);
    EXPECT_EQ(places.archiveFolder + "\\", outcome.archivePath.substr(0, places.archiveFolder.size() + 1));
    EXPECT_EQ(".zip", outcome.archivePath.substr(outcome.archivePath.size() - 4));
    std::vector<ts::ZipEntry> entries;
    ASSERT_TRUE(ts::readZip(outcome.archivePath, entries));
    std::vector<std::string> names;
    for (const ts::ZipEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(sortedNames({".secret", "Bad/", "Bad/Sub/", "Bad/Sub/a.txt", "Bad/a.txt",
                           "Config.ini", "Manifest.ini", "rkBackup1.reg"}),
              sortedNames(names));
    for (const ts::ZipEntry& entry : entries) {
        if (entry.name == "Bad/Sub/a.txt") {
            EXPECT_EQ("inner a", entry.data);
        }
        if (entry.name == ".secret") {
            EXPECT_EQ("dot file", entry.data);
        }
    }
    EXPECT_TRUE(ks::isFolder(places.backupFolder));
    EXPECT_TRUE(ts::folderNames(places.backupFolder).empty());
    EXPECT_EQ((std::vector<std::string>{outcome.archivePath.substr(places.archiveFolder.size() + 1)}),
              ts::folderNames(places.archiveFolder));
    // Only the folder of a run that lives is kept: same process, same start.
    const std::string mine = ks::thisRunFolder("X:");
    EXPECT_TRUE(ks::runFolderLives(mine.substr(3)));
    EXPECT_FALSE(ks::runFolderLives(mine.substr(3) + "0"));
    EXPECT_FALSE(ks::runFolderLives("run-4000000-01D0000000000000"));
}

// Past the first hundred the copies lie in subfolders of the backup folder
// (one an earlier backup left behind is passed by); the archive names every
// entry as if they all lay in the folder itself.
TEST_F(Backup, ManyCopiesKeepTheirNamesInTheArchive)
{
    const int files = 2 * ks::BackupSession::kEntriesPerPart + 50;
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    std::vector<std::string> expected{"Config.ini", "Manifest.ini", "Bad/", "Bad/a.txt"};
    for (int i = 0; i < files; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        ts::writeTextFile(work + "\\Src\\" + name, "file " + std::to_string(i));
        ts::fileItem(bad, name, work + "\\Src");
        expected.push_back(name);
    }
    ts::writeTextFile(work + "\\Prog\\Bad\\a.txt", "a");
    ts::folderItem(bad, "Bad", work + "\\Prog");
    ts::writeTextFile(places.backupFolder + "\\~part1\\.stale", "from an earlier backup");

    ks::BackupOutcome outcome = ks::makeBackup(list, &report, ts::machinePlaces(), places);

    EXPECT_TRUE(outcome.complete);
    std::vector<ts::ZipEntry> entries;
    ASSERT_TRUE(ts::readZip(outcome.archivePath, entries));
    std::vector<std::string> names;
    for (const ts::ZipEntry& entry : entries) {
        names.push_back(entry.name);
        if (entry.name == "f" + std::to_string(files - 1) + ".txt") {
            EXPECT_EQ("file " + std::to_string(files - 1), entry.data);
        }
        if (entry.name == "Bad/a.txt") {
            EXPECT_EQ("a", entry.data);
        }
    }
    EXPECT_EQ(sortedNames(expected), sortedNames(names));
    EXPECT_TRUE(ts::folderNames(places.backupFolder).empty());
}

TEST_F(Backup, TwoBackupsInTheSameSecondKeepBothArchives)
{
    ts::writeTextFile(work + "\\f.txt", "f");
    ts::fileItem(ts::parasiteNamed(list, "Bad"), "f.txt", work);
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        ks::BackupOutcome outcome = ks::makeBackup(list, nullptr, ts::machinePlaces(), places);
        ASSERT_TRUE(outcome.complete);
        paths.push_back(outcome.archivePath);
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths.end(), std::unique(paths.begin(), paths.end()));
    EXPECT_EQ(3u, ts::folderNames(places.archiveFolder).size());
    EXPECT_EQ(ks::freshArchivePath(places.archiveFolder, "x.zip"), places.archiveFolder + "\\x.zip");
    ts::writeTextFile(places.archiveFolder + "\\x.zip");
    ts::writeTextFile(places.archiveFolder + "\\x (2).zip");
    EXPECT_EQ(places.archiveFolder + "\\x (3).zip",
              ks::freshArchivePath(places.archiveFolder, "x.zip"));
    ts::writeTextFile(places.archiveFolder + "\\x (3).zip.partial");   // a backup under way
    EXPECT_EQ(places.archiveFolder + "\\x (4).zip",
              ks::freshArchivePath(places.archiveFolder, "x.zip"));
}

TEST_F(Backup, AnArchiveThatCannotBeCreatedBacksUpNothing)
{
    places.archiveFolder = work + "\\no\\such\\parent\\Archives";
    ts::writeTextFile(work + "\\f.txt", "f");
    ts::fileItem(ts::parasiteNamed(list, "Bad"), "f.txt", work);
    ks::BackupOutcome outcome = ks::makeBackup(list, &report, ts::machinePlaces(), places);
    EXPECT_FALSE(outcome.archiveOpened);
    EXPECT_FALSE(outcome.complete);
    EXPECT_TRUE(report.steps.empty());
    EXPECT_FALSE(ts::pathExists(places.backupFolder));
}

TEST(BackupPlacesOfTheSystem, ArchivesGoBesideTheProgram)
{
    const std::string folder = ks::parentFolderOf(ks::moduleFilePath());
    EXPECT_EQ(folder + "\\KestruneBackup", ks::archiveFolderPath());
    ks::BackupPlaces places = ks::systemBackupPlaces();
    EXPECT_EQ(ks::backupFolderPath(), places.backupFolder);
}
