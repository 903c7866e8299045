// The removal log: its dated name, the records byte for byte, and the writer.
#include "removal/removal_log.h"

#include "removal/backup_run.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace ks = kestrune;
using ks::ItemKind;
using ks::RemovalResult;

namespace {

SYSTEMTIME timeOf(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

ks::RemovalOutcome outcomeOf(ItemKind kind, RemovalResult result, const std::string& name,
                             const std::string& path)
{
    ks::RemovalOutcome outcome;
    outcome.kind = kind;
    outcome.result = result;
    outcome.name = name;
    outcome.path = path;
    return outcome;
}

ks::RemovalOutcome protectedOutcome(ItemKind kind, const std::string& name, const std::string& path)
{
    ks::RemovalOutcome outcome = outcomeOf(kind, RemovalResult::Refused, name, path);
    outcome.protectedPlace = true;
    return outcome;
}

}  // namespace

TEST(LogNames, DatedLogNameIsUtcDayFirstWithLeadingBackslash)
{
    struct Case {
        SYSTEMTIME time;
        const char* expected;
    } cases[] = {
        {timeOf(2004, 3, 6, 9, 5, 7), "\\6-3-2004 (9-5-7).txt"},
        {timeOf(2004, 12, 31, 23, 59, 59), "\\31-12-2004 (23-59-59).txt"},
        {timeOf(2010, 1, 1, 0, 0, 0), "\\1-1-2010 (0-0-0).txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ks::datedLogName(c.time));
}

TEST(LogNames, ArchiveNameIsMonthFirstWithCommas)
{
    EXPECT_EQ("3,6,2004_9,5,7.zip", ks::archiveFileName(timeOf(2004, 3, 6, 9, 5, 7)));
    EXPECT_EQ("12,31,2004_23,59,59.zip", ks::archiveFileName(timeOf(2004, 12, 31, 23, 59, 59)));
}

TEST(LogNames, CurrentDatedNameFollowsTheSystemClockInUtc)
{
    SYSTEMTIME before;
    GetSystemTime(&before);
    std::string name = ks::datedLogName();
    SYSTEMTIME after;
    GetSystemTime(&after);
    // Unless the second changed in between, the name is exactly the UTC one.
    if (before.wSecond == after.wSecond) {
        EXPECT_EQ(ks::datedLogName(before), name);
    }
    EXPECT_EQ('\\', name.front());
}

TEST(LogRecords, EveryRecordByteForByte)
{
    struct Case {
        ks::RemovalOutcome outcome;
        const char* expected;
    } cases[] = {
        {outcomeOf(ItemKind::RegistryKey, RemovalResult::Deleted, "", "HKEY_CURRENT_USER\\Software\\Bad"),
         "[TYPE:REGKEY]\r\n[ACTION:DELETED]\r\n[VALUE:HKEY_CURRENT_USER\\Software\\Bad]\r\n"},
        {outcomeOf(ItemKind::RegistryValue, RemovalResult::Deleted, "", "HKEY_LOCAL_MACHINE\\Run\\Bad"),
         "[TYPE:REGVALUE]\r\n[ACTION:DELETED]\r\n[VALUE:HKEY_LOCAL_MACHINE\\Run\\Bad]\r\n"},
        {outcomeOf(ItemKind::File, RemovalResult::Deleted, "bad.exe", "C:\\Bad"),
         "[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:bad.exe]\r\n[PATH:C:\\Bad]\r\n"},
        {outcomeOf(ItemKind::File, RemovalResult::Scheduled, "bad.exe", "C:\\Bad"),
         "[TYPE:FILE]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:bad.exe]\r\n[PATH:C:\\Bad]\r\n"},
        {outcomeOf(ItemKind::File, RemovalResult::Failed, "bad.exe", "C:\\Bad"),
         "[TYPE:FILE]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:bad.exe]\r\n[PATH:C:\\Bad]\r\n"},
        {outcomeOf(ItemKind::Folder, RemovalResult::Deleted, "Bad", "C:\\Program Files"),
         "[TYPE:DIRECTORY]\r\n[ACTION:DELETED]\r\n[NAME:Bad]\r\n[PATH:C:\\Program Files]\r\n"},
        {outcomeOf(ItemKind::Cookie, RemovalResult::Deleted, "Ad Server", ""),
         "[TYPE:COOKIE]\r\n[ACTION:DELETED]\r\n[VALUE:Ad Server]\r\n"},
        // Items that are still there.
        {outcomeOf(ItemKind::RegistryKey, RemovalResult::Failed, "", "HKEY_CURRENT_USER\\S\\K"),
         "[TYPE:REGKEY]\r\n[ACTION:FAILED TO DELETE]\r\n[VALUE:HKEY_CURRENT_USER\\S\\K]\r\n"},
        {outcomeOf(ItemKind::RegistryValue, RemovalResult::Failed, "", "HKEY_CURRENT_USER\\S\\V"),
         "[TYPE:REGVALUE]\r\n[ACTION:FAILED TO DELETE]\r\n[VALUE:HKEY_CURRENT_USER\\S\\V]\r\n"},
        {outcomeOf(ItemKind::Folder, RemovalResult::Failed, "Bad", "C:\\X"),
         "[TYPE:DIRECTORY]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:Bad]\r\n[PATH:C:\\X]\r\n"},
        {outcomeOf(ItemKind::Cookie, RemovalResult::Failed, "ad", ""),
         "[TYPE:COOKIE]\r\n[ACTION:FAILED TO DELETE]\r\n[VALUE:ad]\r\n"},
        // Values are not escaped.
        {outcomeOf(ItemKind::File, RemovalResult::Deleted, "a]\r\nb", "C:\\[x]"),
         "[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:a]\r\nb]\r\n[PATH:C:\\[x]]\r\n"},
        // A refused item that names no place leaves no record; a protected
        // place is still there.
        {outcomeOf(ItemKind::RegistryKey, RemovalResult::Refused, "", "HKEY_BOGUS\\S\\K"), ""},
        {protectedOutcome(ItemKind::Folder, "windows", "C:"),
         "[TYPE:DIRECTORY]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:windows]\r\n[PATH:C:]\r\n"},
        {protectedOutcome(ItemKind::Cookie, ".", ""),
         "[TYPE:COOKIE]\r\n[ACTION:FAILED TO DELETE]\r\n[VALUE:.]\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ks::logRecord(c.outcome));
}

TEST(LogWriter, PathJoinsDatedNamesAsTheyAreAndTheFixedNameWithABackslash)
{
    EXPECT_EQ("C:\\logs\\6-3-2004 (9-5-7).txt",
              ks::RemovalLog("C:\\logs", "\\6-3-2004 (9-5-7).txt").path());
    EXPECT_EQ("C:\\logs\\log.txt", ks::RemovalLog("C:\\logs", "log.txt").path());
    EXPECT_EQ("\\log.txt", ks::RemovalLog("", "log.txt").path());
}

TEST(LogWriter, CreatesTheLastFolderLevelAndAppendsRecordByRecord)
{
    const std::string work = ks::testing_support::freshWorkFolder("log-writer");
    const std::string folder = work + "\\logs";
    ks::RemovalLog log(folder, ks::kFixedLogName);
    ASSERT_TRUE(log.write("[TYPE:A]\r\n"));
    ASSERT_TRUE(log.write("[TYPE:B]\r\n"));
    // A second run with the fixed name appends to the same file.
    ks::RemovalLog again(folder, ks::kFixedLogName);
    ASSERT_TRUE(again.write("[TYPE:C]\r\n"));
    EXPECT_EQ("[TYPE:A]\r\n[TYPE:B]\r\n[TYPE:C]\r\n",
              ks::testing_support::readTextFile(folder + "\\log.txt"));
}

TEST(LogWriter, OnlyTheLastFolderLevelIsCreated)
{
    const std::string work = ks::testing_support::freshWorkFolder("log-deep");
    ks::RemovalLog log(work + "\\a\\b", "log.txt");
    EXPECT_FALSE(log.write("[TYPE:A]\r\n"));
    EXPECT_FALSE(ks::testing_support::pathExists(work + "\\a"));
}
