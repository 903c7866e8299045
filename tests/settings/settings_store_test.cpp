// The settings store against the real registry of the test prefix: first-run
// defaults, the read rules (259 characters and a zero, counted terminators),
// flags, getters, program paths and the Run entry.
#include "settings/settings_store.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"
#include "settings/data_folder.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <map>
#include <string>
#include <vector>

namespace ks = kestrune;

namespace {

const char kSettingsKey[] = "SOFTWARE\\Kestrune";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Stores exactly `bytes` as a REG_SZ value, as another tool might. (The
// registry would count a zero byte that follows the data, so none follows.)
void storeRaw(const char* keyPath, const char* name, const std::string& bytes)
{
    ks::RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.create(HKEY_CURRENT_USER, keyPath));
    std::string data = bytes + 'x';
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), name, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(bytes.size())));
}

// Every value of a key as name -> (type, data as stored in UTF-16, in bytes).
struct StoredValue {
    DWORD type;
    std::wstring data;
};

std::map<std::string, StoredValue> storedValues(const char* keyPath)
{
    std::map<std::string, StoredValue> values;
    ks::RegistryKey key;
    if (key.open(HKEY_CURRENT_USER, keyPath, KEY_READ) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[2048];
        DWORD size = sizeof data;
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        std::string narrow(name, name + nameLength);
        values[narrow] = StoredValue{
            type, std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t))};
    }
    return values;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
        ks::RegistryKey run;
        if (run.open(HKEY_CURRENT_USER, kRunKey, KEY_ALL_ACCESS) ==
            ERROR_SUCCESS)
            RegDeleteValueA(run.get(), "Kestrune");
    }
};

// The folder the test program runs from, C:\kestrune in the test prefix.
std::string exeFolder()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return ks::parentFolderOf(std::string(buffer, n));
}

}  // namespace

TEST_F(SettingsStore, FirstRunWritesExactlyTheDefaults)
{
    ASSERT_TRUE(ks::settingsMissing());
    ASSERT_TRUE(ks::createDefaultSettings());
    EXPECT_FALSE(ks::settingsMissing());

    const std::string folder = exeFolder();
    const std::map<std::string, std::string> expected = {
        {"pv", "2.01"},
        {"df", "kestrune_082303_def.ks"},
        {"ras", "0"},
        {"sas", "0"},
        {"mtst", "0"},
        {"asl", "1"},
        {"abrs", "1"},
        {"acu", "1"},
        {"path", folder},
        {"lfp", folder + "\\logs"},
        {"rfp", folder + "\\kestrune_020404_v2.ks"},
    };
    const auto stored = storedValues(kSettingsKey);
    ASSERT_EQ(expected.size(), stored.size());
    for (const auto& entry : expected) {
        SCOPED_TRACE(entry.first);
        auto it = stored.find(entry.first);
        ASSERT_NE(stored.end(), it);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), it->second.type);
        // Stored with its terminating zero.
        EXPECT_EQ(std::wstring(entry.second.begin(), entry.second.end()) + L'\0',
                  it->second.data);
        std::string read;
        EXPECT_TRUE(ks::readSetting(entry.first, read));
        EXPECT_EQ(entry.second, read);
    }
    EXPECT_TRUE(ks::isFolder(folder + "\\logs"));
    EXPECT_EQ(folder + "\\logs", ks::logFolder());
    EXPECT_EQ(folder + "\\kestrune_020404_v2.ks", ks::referenceFilePath());
}

TEST_F(SettingsStore, AMissingValueIsNotRestored)
{
    ASSERT_TRUE(ks::createDefaultSettings());
    ASSERT_TRUE(ks::settingEnabled("asl"));
    {
        ks::RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  key.open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key.get(), "asl"));
    }
    // The first-run test looks at the key only.
    EXPECT_FALSE(ks::settingsMissing());
    EXPECT_FALSE(ks::settingEnabled("asl"));
    std::string text = "untouched";
    EXPECT_FALSE(ks::readSetting("asl", text));
    EXPECT_EQ("untouched", text);
}

TEST_F(SettingsStore, ReadsTheStoredTextUpToTheSizeLimit)
{
    const std::string chars259(259, 'x');
    struct Case {
        const char* label;
        std::string stored;   // bytes handed to the registry, terminator included when counted
        bool readable;
        std::string text;
    };
    const Case cases[] = {
        {"no terminator", "abc", true, "abc"},
        {"counted terminator", std::string("abc\0", 4), true, "abc"},
        {"empty", "", true, ""},
        {"empty with terminator", std::string("\0", 1), true, ""},
        {"259 characters", chars259, true, chars259},
        {"259 characters and a counted terminator", chars259 + '\0', true, chars259},
        {"259 characters and two zeros", chars259 + std::string(2, '\0'), false, ""},
        {"260 characters", std::string(260, 'y'), false, ""},
        {"1000 characters", std::string(1000, 'z'), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        storeRaw(kSettingsKey, "probe", c.stored);
        std::string text = "untouched";
        EXPECT_EQ(c.readable, ks::readSetting("probe", text));
        EXPECT_EQ(c.readable ? c.text : std::string("untouched"), text);
    }
}

TEST_F(SettingsStore, WritesRoundTripAndFailWithoutKeyOrName)
{
    // Without the key nothing is written and no key is made.
    EXPECT_FALSE(ks::writeSetting("rfp", "C:\\x.ks"));
    EXPECT_TRUE(ks::settingsMissing());
    std::string text;
    EXPECT_FALSE(ks::readSetting("rfp", text));
    EXPECT_EQ("", ks::referenceFilePath());
    EXPECT_EQ("", ks::logFolder());
    EXPECT_FALSE(ks::settingEnabled("ras"));

    ASSERT_TRUE(ks::createDefaultSettings());
    EXPECT_FALSE(ks::writeSetting("", "1"));
    EXPECT_FALSE(ks::readSetting("", text));

    const std::string longest(259, 'p');
    for (const std::string& value : {std::string(""), std::string("D:\\defs\\new.ks"), longest}) {
        ASSERT_TRUE(ks::writeSetting("rfp", value));
        EXPECT_EQ(value, ks::referenceFilePath());
    }
    // One character more can be stored but reads back as missing.
    ASSERT_TRUE(ks::writeSetting("rfp", longest + "p"));
    EXPECT_EQ("", ks::referenceFilePath());
}

TEST_F(SettingsStore, AFlagIsOnOnlyWhenItIsExactlyOne)
{
    ASSERT_TRUE(ks::createDefaultSettings());
    const struct {
        std::string stored;
        bool on;
    } cases[] = {
        {"1", true},
        {std::string("1\0", 2), true},   // a counted terminator
        {"0", false},
        {"", false},
        {"01", false},
        {"1 ", false},
        {" 1", false},
        {"true", false},
        {"2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.stored + "\"");
        storeRaw(kSettingsKey, "sas", c.stored);
        EXPECT_EQ(c.on, ks::settingEnabled("sas"));
    }
    // "mtst" has no control of its own but is read like the other flags.
    EXPECT_FALSE(ks::settingEnabled("mtst"));
    ASSERT_TRUE(ks::writeSetting("mtst", "1"));
    EXPECT_TRUE(ks::settingEnabled("mtst"));
}

TEST(ProgramPaths, FolderKeepsItsBackslashWhilePathValueDoesNot)
{
    const std::string folder = exeFolder();
    EXPECT_EQ(folder + "\\test_settings.exe", ks::programPath());
    EXPECT_EQ(folder + "\\", ks::programFolder());
    EXPECT_EQ("\"" + folder + "\\test_settings.exe\" /s", ks::runEntryCommandLine());
}

TEST(DataFolder, BesideTheProgramWhenItsFolderCanBeWrittenElsePerUser)
{
    namespace ts = ks::testing_support;
    const std::string work = ts::freshWorkFolder("DataFolder") + "\\";
    const std::string perUser = work + "Kestrune\\";
    ts::writeTextFile(work + "file.txt");
    const struct {
        std::string program;
        std::string expected;
    } cases[] = {
        {work, work},
        {work + "missing\\", perUser},
        {work + "file.txt\\", perUser},
        {"", perUser},   // never the current folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ks::chooseDataFolder(c.program, perUser)) << c.program;
    EXPECT_TRUE(ks::isFolder(perUser));
    EXPECT_EQ(2u, ts::folderNames(work).size()) << "the write test leaves nothing behind";
    EXPECT_EQ("", ks::chooseDataFolder(work + "missing\\", ""));

    // The running program's folder can be written in the test prefix.
    char localAppData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)));
    EXPECT_EQ(std::string(localAppData) + "\\Kestrune\\", ks::perUserDataFolder());
    EXPECT_EQ(ks::programFolder(), ks::dataFolder());
    EXPECT_EQ((std::vector<std::string>{ks::programFolder(), ks::perUserDataFolder()}),
              ks::dataFolders());
}

TEST_F(SettingsStore, RunEntryIsAddedAndRemoved)
{
    const std::string command = ks::runEntryCommandLine();
    ASSERT_TRUE(ks::addRunEntry("Kestrune", command));
    auto values = storedValues(kRunKey);
    ASSERT_EQ(1u, values.count("Kestrune"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), values["Kestrune"].type);
    EXPECT_EQ(std::wstring(command.begin(), command.end()) + L'\0', values["Kestrune"].data);
    EXPECT_FALSE(ks::runEntryAbsent("Kestrune"));

    EXPECT_TRUE(ks::removeRunEntry("Kestrune"));
    EXPECT_EQ(0u, storedValues(kRunKey).count("Kestrune"));
    EXPECT_TRUE(ks::runEntryAbsent("Kestrune"));
    // Nothing left to delete.
    EXPECT_FALSE(ks::removeRunEntry("Kestrune"));

    EXPECT_FALSE(ks::addRunEntry("", command));
    EXPECT_FALSE(ks::addRunEntry("Kestrune", ""));
    EXPECT_FALSE(ks::removeRunEntry(""));
    EXPECT_EQ(0u, storedValues(kRunKey).count("Kestrune"));
}
