// The registry checks of the scan, against the real registry of the test
// prefix.
#include "scan/registry_location.h"

#include "definitions/registry_items.h"
#include "platform/handles.h"
#include "platform/hives.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace ks = kestrune;

namespace {

// Every probe lives below this path, in whichever hives a case needs. The
// path begins with ".DEFAULT" so that it can be made below HKEY_USERS too.
const char kProbe[] = ".DEFAULT\\Software\\KestruneProbe";

const HKEY kAllHives[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                          HKEY_CURRENT_CONFIG};

void makeKey(HKEY root, const std::string& path)
{
    ks::RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.create(root, path.c_str())) << path;
}

void setValue(HKEY root, const std::string& path, const char* name, const std::string& data)
{
    ks::RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.create(root, path.c_str())) << path;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name, 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(data.c_str()),
                                            static_cast<DWORD>(data.size() + 1)));
}

// The scan's tests with no place but the built-in keys protected.
bool keyFound(ks::RegistryKeyItem& item)
{
    std::string hive;
    return ks::checkRegistryKey(item, ks::ProtectedPlaces(), hive) == ks::RegistryCheck::Present;
}

bool valueFound(ks::RegistryValueItem& item)
{
    std::string hive;
    return ks::checkRegistryValue(item, ks::ProtectedPlaces(), hive) == ks::RegistryCheck::Present;
}

ks::RegistryKeyItem keyItem(const std::string& main, const std::string& sub,
                            const std::string& value)
{
    ks::RegistryKeyItem item;
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

ks::RegistryValueItem valueItem(const std::string& main, const std::string& sub,
                                const std::string& value)
{
    ks::RegistryValueItem item;
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

class RegistryChecks : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear()
    {
        for (HKEY root : kAllHives)
            SHDeleteKeyA(root, kProbe);
    }
};

}  // namespace

TEST(RegistryLocation, TextsAreFormattedFromTheItemStrings)
{
    EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Bad\\Toolbar",
              ks::registryKeyLocation(keyItem("HKEY_CURRENT_USER", "Software\\Bad", "Toolbar")));
    EXPECT_EQ("HKLM\\\\Toolbar", ks::registryKeyLocation(keyItem("HKLM", "", "Toolbar")));
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\Software\\Run : bad",
              ks::registryValueLocation(valueItem("HKEY_LOCAL_MACHINE", "Software\\Run", "bad")));
    EXPECT_EQ("x\\y : ", ks::registryValueLocation(valueItem("x", "y", "")));
    // The key path keeps its backslash when `sub` is empty.
    EXPECT_EQ("\\Toolbar", ks::registryKeyPath(keyItem("", "", "Toolbar")));
    EXPECT_EQ("a\\b\\c", ks::registryKeyPath(keyItem("", "a\\b", "c")));
}

// One case of the key check: the hives that hold the key, the item's `main`
// before, and the result and `main` after.
struct FallbackCase {
    const char* label;
    std::vector<HKEY> holders;
    const char* main;
    bool found;
    const char* mainAfter;
};

const FallbackCase kFallbackCases[] = {
    {"recognised lower-case name", {HKEY_CURRENT_USER}, "hkey_current_user", true,
     "hkey_current_user"},
    {"recognised name, key elsewhere", {HKEY_CURRENT_USER}, "HKEY_LOCAL_MACHINE", false,
     "HKEY_LOCAL_MACHINE"},
    {"abbreviation", {HKEY_CURRENT_USER}, "HKLM", true, "HKEY_CURRENT_USER"},
    {"empty name", {HKEY_CURRENT_USER}, "", true, "HKEY_CURRENT_USER"},
    {"everywhere: first row wins",
     {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG},
     "?", true, "HKEY_CLASSES_ROOT"},
    {"machine and users", {HKEY_LOCAL_MACHINE, HKEY_USERS}, "HKCU", true, "HKEY_LOCAL_MACHINE"},
    {"users only", {HKEY_USERS}, "HKU", true, "HKEY_USERS"},
    {"current config only", {HKEY_CURRENT_CONFIG}, "HKCC", true, "HKEY_CURRENT_CONFIG"},
    {"nowhere", {}, "HKLM", false, "HKLM"},
};

TEST_F(RegistryChecks, KeyFallbackSearchesTheHivesInOrderAndRecordsTheHive)
{
    const std::string shared = std::string(kProbe) + "\\Shared";
    for (const FallbackCase& c : kFallbackCases) {
        SCOPED_TRACE(c.label);
        clear();
        for (HKEY root : c.holders)
            makeKey(root, shared);
        ks::RegistryKeyItem item = keyItem(c.main, kProbe, "Shared");
        EXPECT_EQ(c.found, keyFound(item));
        EXPECT_EQ(c.mainAfter, item.main);
        EXPECT_EQ(kProbe, item.sub);
        EXPECT_EQ("Shared", item.value);
    }
}

TEST_F(RegistryChecks, ValueFallbackSearchesTheHivesInOrderAndRecordsTheHive)
{
    const std::string key = std::string(kProbe) + "\\Values";
    for (const FallbackCase& c : kFallbackCases) {
        SCOPED_TRACE(c.label);
        clear();
        for (HKEY root : c.holders)
            setValue(root, key, "probe", "data");
        ks::RegistryValueItem item = valueItem(c.main, key, "probe");
        EXPECT_EQ(c.found, valueFound(item));
        EXPECT_EQ(c.mainAfter, item.main);
        // The removal reaches a found item through its recorded hive.
        if (c.found) {
            EXPECT_NE(nullptr, ks::hiveFromName(item.main));
        }
    }
}

TEST_F(RegistryChecks, ARecordedHiveIsTheOnlyOneTriedNextTime)
{
    const std::string shared = std::string(kProbe) + "\\Shared";
    makeKey(HKEY_CURRENT_USER, shared);
    ks::RegistryKeyItem item = keyItem("HKLM", kProbe, "Shared");
    ASSERT_TRUE(keyFound(item));
    ASSERT_EQ("HKEY_CURRENT_USER", item.main);

    SHDeleteKeyA(HKEY_CURRENT_USER, kProbe);
    makeKey(HKEY_LOCAL_MACHINE, shared);
    EXPECT_FALSE(keyFound(item));
    EXPECT_EQ("HKEY_CURRENT_USER", item.main);
}

TEST_F(RegistryChecks, AKeyItemWithoutAKeyNameIsNeverFound)
{
    // The parent exists, and its path with a trailing backslash opens as the
    // parent itself: such an item would stand for the whole parent key.
    makeKey(HKEY_CURRENT_USER, std::string(kProbe) + "\\Child");
    ASSERT_TRUE(ks::keyExists(HKEY_CURRENT_USER, std::string(kProbe) + "\\"));

    for (const char* value : {"", "\\", "\\\\"}) {
        SCOPED_TRACE(std::string("value \"") + value + "\"");
        for (const char* main : {"HKEY_CURRENT_USER", "HKLM"}) {
            ks::RegistryKeyItem item = keyItem(main, kProbe, value);
            EXPECT_FALSE(ks::hasKeyName(item));
            EXPECT_FALSE(keyFound(item));
            EXPECT_EQ(main, item.main);
        }
    }
    EXPECT_TRUE(ks::hasKeyName(keyItem("", kProbe, "Child")));
    EXPECT_TRUE(ks::hasKeyName(keyItem("", kProbe, "\\Child")));
}

TEST_F(RegistryChecks, AnEmptySubGivesAPathThatStartsWithABackslash)
{
    // A key directly below the hive is not reached through "\" + name.
    makeKey(HKEY_CURRENT_USER, kProbe);
    ks::RegistryKeyItem item = keyItem("HKEY_CURRENT_USER", "", ".DEFAULT");
    EXPECT_TRUE(ks::keyExists(HKEY_CURRENT_USER, ".DEFAULT"));
    EXPECT_FALSE(keyFound(item));
}

TEST_F(RegistryChecks, ValueQueries)
{
    const std::string key = std::string(kProbe) + "\\Values";
    makeKey(HKEY_CURRENT_USER, key);
    // The default value: only present once it has been set.
    EXPECT_FALSE(ks::valueExists(HKEY_CURRENT_USER, key, ""));
    setValue(HKEY_CURRENT_USER, key, "", "default");
    EXPECT_TRUE(ks::valueExists(HKEY_CURRENT_USER, key, ""));

    // Data longer than the query buffer is still a present value.
    setValue(HKEY_CURRENT_USER, key, "long", std::string(1000, 'L'));
    EXPECT_TRUE(ks::valueExists(HKEY_CURRENT_USER, key, "long"));

    EXPECT_FALSE(ks::valueExists(HKEY_CURRENT_USER, key, "missing"));
    EXPECT_FALSE(ks::valueExists(HKEY_CURRENT_USER, key + "\\Nowhere", ""));

    ks::RegistryValueItem item = valueItem("hkey_current_user", key, "");
    EXPECT_TRUE(valueFound(item));
    EXPECT_EQ("hkey_current_user", item.main);
}

TEST_F(RegistryChecks, AKeyThatCannotBeOpenedForWritingIsAbsent)
{
    const std::string locked = std::string(kProbe) + "\\Locked";
    setValue(HKEY_CURRENT_USER, locked, "probe", "data");
    {
        // Add an ACE that denies setting values to the key's own DACL.
        ks::RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.open(HKEY_CURRENT_USER, locked.c_str(), KEY_ALL_ACCESS));
        PACL oldDacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
                  GetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &oldDacl, nullptr, &descriptor));
        EXPLICIT_ACCESSA deny = {};
        BuildExplicitAccessWithNameA(&deny, const_cast<char*>("EVERYONE"), KEY_SET_VALUE,
                                     DENY_ACCESS, NO_INHERITANCE);
        PACL newDacl = nullptr;
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), SetEntriesInAclA(1, &deny, oldDacl, &newDacl));
        DWORD applied = SetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, newDacl, nullptr);
        LocalFree(newDacl);
        LocalFree(descriptor);
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), applied);
    }
    {
        ks::RegistryKey readOnly;
        if (readOnly.open(HKEY_CURRENT_USER, locked.c_str(), KEY_READ) !=
            ERROR_SUCCESS)
            GTEST_SKIP() << "this system denies reading too; nothing to tell apart";
    }
    EXPECT_FALSE(ks::keyExists(HKEY_CURRENT_USER, locked));
    EXPECT_FALSE(ks::valueExists(HKEY_CURRENT_USER, locked, "probe"));
    ks::RegistryKeyItem item = keyItem("", kProbe, "Locked");
    EXPECT_FALSE(keyFound(item));
    EXPECT_EQ("", item.main);
}
