// Removal of registry keys and values against the real registry of the test
// prefix: deep trees, default values, unknown hives, nameless key items, keys
// and values that cannot be deleted, and the log records of each.
#include "removal/registry_removal.h"

#include "platform/paths.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;
using ks::RemovalResult;

namespace {

const char kRoot[] = "Software\\KestruneRemovalTest";

class RegistryRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        ts::removeRegistryTree(HKEY_CURRENT_USER, kRoot);
        logFolder = ts::freshWorkFolder("registry-removal");
    }
    void TearDown() override { ts::removeRegistryTree(HKEY_CURRENT_USER, kRoot); }

    // Runs removeRegistryItems over `list`; the log goes to log.txt.
    void removeAll()
    {
        ks::RemovalLog log(logFolder, "log.txt");
        ks::RemovalRun run(log, &report, ts::machinePlaces());
        ks::removeRegistryItems(list, run);
    }
    std::string logText() const { return ts::readTextFile(logFolder + "\\log.txt"); }

    std::string under(const std::string& rest) const { return std::string(kRoot) + "\\" + rest; }

    ks::ParasiteList list;
    ts::RecordingRemovalReport report;
    std::string logFolder;
};

}  // namespace

TEST_F(RegistryRemoval, DeletesAKeyWithSubkeysThreeLevelsDeep)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad"), "", "default");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad\\One"), "v", "1");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad\\One\\Two"), "v", "2");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad\\One\\Two\\Three"), "v", "3");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad\\Other"), "v", "4");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Good"), "v", "stays");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::keyItem(bad, "hkey_current_user", kRoot, "Bad");

    removeAll();

    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Bad")));
    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Good")));
    EXPECT_EQ("Removed", bad.status);
    EXPECT_EQ("[TYPE:REGKEY]\r\n[ACTION:DELETED]\r\n"
              "[VALUE:hkey_current_user\\Software\\KestruneRemovalTest\\Bad]\r\n",
              logText());
    ASSERT_EQ(1u, report.outcomes.size());
    EXPECT_EQ(RemovalResult::Deleted, report.outcomes[0].result);
}

TEST_F(RegistryRemoval, AKeyThatIsAlreadyGoneCountsAsDeleted)
{
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::keyItem(bad, "HKEY_CURRENT_USER", kRoot, "NeverThere");
    removeAll();
    EXPECT_EQ("Removed", bad.status);
    EXPECT_NE(std::string::npos, logText().find("[ACTION:DELETED]"));
}

TEST_F(RegistryRemoval, DeletesValuesIncludingTheDefaultValueAndLeavesTheOthers)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Run"), "", "default data");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Run"), "Bad", "bad.exe");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Run"), "Good", "good.exe");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::valueItem(bad, "HKEY_CURRENT_USER", under("Run"), "Bad");
    ts::valueItem(bad, "HKEY_CURRENT_USER", under("Run"), "");

    removeAll();

    EXPECT_FALSE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Run"), "Bad"));
    EXPECT_FALSE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Run"), ""));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Run"), "Good"));
    // The record names main\sub\value, not the " : " location of the row.
    EXPECT_EQ("[TYPE:REGVALUE]\r\n[ACTION:DELETED]\r\n"
              "[VALUE:HKEY_CURRENT_USER\\Software\\KestruneRemovalTest\\Run\\Bad]\r\n"
              "[TYPE:REGVALUE]\r\n[ACTION:DELETED]\r\n"
              "[VALUE:HKEY_CURRENT_USER\\Software\\KestruneRemovalTest\\Run\\]\r\n",
              logText());
}

TEST_F(RegistryRemoval, ValueNamesWithColonsAndKeyNamesWithBackslashesAreReached)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Run"), "C:\\bad.exe", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Deep\\Bad"), "v", "x");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::valueItem(bad, "HKEY_CURRENT_USER", under("Run"), "C:\\bad.exe");
    ts::keyItem(bad, "HKEY_CURRENT_USER", kRoot, "Deep\\Bad");
    removeAll();
    EXPECT_FALSE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Run"), "C:\\bad.exe"));
    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Deep\\Bad")));
    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Deep")));
}

TEST_F(RegistryRemoval, ItemsUnderUnknownHivesAndNamelessKeysAreRefused)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Parent\\Child"), "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Parent"), "v", "x");
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    bad.status = "Found";
    ts::keyItem(bad, "HKEY_BOGUS", kRoot, "Parent");
    ts::keyItem(bad, "HKCU", kRoot, "Parent");
    ts::valueItem(bad, "HKEY_NOWHERE", under("Parent"), "v");
    // Without a key name the path would be the parent key itself.
    ts::keyItem(bad, "HKEY_CURRENT_USER", under("Parent"), "");
    ts::keyItem(bad, "HKEY_CURRENT_USER", under("Parent"), "\\");

    removeAll();

    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Parent\\Child")));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Parent"), "v"));
    EXPECT_EQ("Found", bad.status);
    EXPECT_EQ("", logText());
    ASSERT_EQ(5u, report.outcomes.size());
    for (const ks::RemovalOutcome& outcome : report.outcomes)
        EXPECT_EQ(RemovalResult::Refused, outcome.result);
}

TEST_F(RegistryRemoval, AKeyOrValueStillThereIsLoggedAsFailedToDelete)
{
    // A key whose subkeys cannot be listed cannot be emptied, so it stays.
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Locked\\Child"), "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("LockedValues"), "Bad", "x");
    ts::denyRegistryAccess(HKEY_CURRENT_USER, under("Locked"), KEY_ENUMERATE_SUB_KEYS);
    ts::denyRegistryAccess(HKEY_CURRENT_USER, under("LockedValues"), KEY_SET_VALUE);
    ks::Parasite& first = ts::parasiteNamed(list, "First");
    ts::keyItem(first, "HKEY_CURRENT_USER", kRoot, "Locked");
    ks::Parasite& second = ts::parasiteNamed(list, "Second");
    ts::valueItem(second, "HKEY_CURRENT_USER", under("LockedValues"), "Bad");

    removeAll();

    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Locked\\Child")));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("LockedValues"), "Bad"));
    EXPECT_EQ("Failed to Remove", first.status);
    EXPECT_EQ("Failed to Remove", second.status);
    EXPECT_EQ("[TYPE:REGKEY]\r\n[ACTION:FAILED TO DELETE]\r\n"
              "[VALUE:HKEY_CURRENT_USER\\Software\\KestruneRemovalTest\\Locked]\r\n"
              "[TYPE:REGVALUE]\r\n[ACTION:FAILED TO DELETE]\r\n"
              "[VALUE:HKEY_CURRENT_USER\\Software\\KestruneRemovalTest\\LockedValues\\Bad]\r\n",
              logText());
}

TEST_F(RegistryRemoval, AllKeysOfAllParasitesGoBeforeAnyValueAndUnselectedItemsStay)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("K1"), "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("K2"), "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("K3"), "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Vals"), "a", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Vals"), "b", "x");
    ks::Parasite& one = ts::parasiteNamed(list, "One");
    ts::valueItem(one, "HKEY_CURRENT_USER", under("Vals"), "a");
    ts::keyItem(one, "HKEY_CURRENT_USER", kRoot, "K1");
    ts::keyItem(one, "HKEY_CURRENT_USER", kRoot, "K3", false);
    ks::Parasite& two = ts::parasiteNamed(list, "Two");
    ts::valueItem(two, "HKEY_CURRENT_USER", under("Vals"), "b", false);
    ts::keyItem(two, "HKEY_CURRENT_USER", kRoot, "K2");

    removeAll();

    std::vector<std::string> order;
    for (const ks::RemovalOutcome& outcome : report.outcomes)
        order.push_back(ks::baseNameOf(outcome.path));
    EXPECT_EQ((std::vector<std::string>{"K1", "K2", "a"}), order);
    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("K3")));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Vals"), "b"));
    EXPECT_EQ(0, report.outcomes[0].parasiteIndex);
    EXPECT_EQ(0, report.outcomes[0].itemIndex);
    EXPECT_EQ(1, report.outcomes[1].parasiteIndex);
    EXPECT_EQ(0, report.outcomes[1].itemIndex);
}

// A parasite controls what its own keys lead to: a link is deleted as
// itself, never followed, whether it is the item, lies on the item's path or
// lies inside the tree being deleted.
TEST_F(RegistryRemoval, NothingIsReachedThroughARegistryLink)
{
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Target"), "v", "t");
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Target\\Sub"), "w", "t");
    ts::makeRegistryLink(HKEY_CURRENT_USER, under("ItemLink"), HKEY_CURRENT_USER, under("Target"));
    ts::makeRegistryLink(HKEY_CURRENT_USER, under("PathLink"), HKEY_CURRENT_USER, under("Target"));
    ts::writeRegistryString(HKEY_CURRENT_USER, under("Bad"), "x", "b");
    ts::makeRegistryLink(HKEY_CURRENT_USER, under("Bad\\Inner"), HKEY_CURRENT_USER,
                         under("Target"));
    // The parasite's own keys leading to Winlogon.
    const char winlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    ts::makeRegistryLink(HKEY_CURRENT_USER, under("Winlogon"), HKEY_LOCAL_MACHINE, winlogon);
    ts::makeRegistryLink(HKEY_CURRENT_USER, under("WinlogonValue"), HKEY_LOCAL_MACHINE, winlogon);
    ks::Parasite& bad = ts::parasiteNamed(list, "Bad");
    struct Row {
        bool key;
        const char* sub;
        const char* value;
        RemovalResult result;
    } rows[] = {
        {true, kRoot, "ItemLink", RemovalResult::Deleted},       // the link only
        {true, kRoot, "PathLink\\Sub", RemovalResult::Refused},
        {true, kRoot, "Bad", RemovalResult::Deleted},            // Inner not descended
        {true, kRoot, "Winlogon", RemovalResult::Deleted},
        {false, "WinlogonValue", "Shell", RemovalResult::Refused},
        {false, "PathLink", "v", RemovalResult::Refused},        // its key is a link
        {false, "PathLink\\Sub", "w", RemovalResult::Refused},
    };
    for (const Row& row : rows) {
        if (row.key)
            ts::keyItem(bad, "HKEY_CURRENT_USER", row.sub, row.value);
        else
            ts::valueItem(bad, "HKEY_CURRENT_USER", under(row.sub), row.value);
    }

    removeAll();

    ASSERT_EQ(7u, report.outcomes.size());
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(rows[i].result, report.outcomes[i].result) << rows[i].sub << " " << rows[i].value;
        EXPECT_EQ(rows[i].result == RemovalResult::Refused, report.outcomes[i].protectedPlace);
    }
    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("ItemLink")));
    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Bad")));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Target"), "v"));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("Target\\Sub"), "w"));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, under("PathLink\\Sub"), "w"));
    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, under("Winlogon")));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_LOCAL_MACHINE, winlogon, "Shell"));
    EXPECT_NE(std::string::npos,
              logText().find("[ACTION:FAILED TO DELETE]\r\n[VALUE:HKEY_CURRENT_USER\\Software\\"
                             "KestruneRemovalTest\\PathLink\\Sub]"));
}
