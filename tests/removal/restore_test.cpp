// The parts of a restore the end-to-end round trip cannot single out: which
// lines of a key's export bring back one value, taking a restored file out of
// the deletions scheduled for the restart, and the event of a refused restore.
#include "removal/backup_reader.h"
#include "removal/restore_run.h"

#include "platform/handles.h"
#include "support/recording_event_sink.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

std::string utf16(const std::string& text)
{
    std::string bytes = "\xff\xfe";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

TEST(Restore, AValueIsImportedWithoutTheOtherValuesOfItsKey)
{
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string exported = utf16(
        header + "[" + kRunKey + "]\r\n@=\"default\"\r\n\"Mine\"=\"mine.exe\"\r\n"
        "\"Bad\"=hex(7):61,00,62,00,00,00,\\\r\n  63,00,00,00,00,00\r\n"
        "\"Quo\\\"te\"=dword:00000001\r\n\"Bad2\"=\"x\"\r\n\r\n[" + kRunKey +
        "\\Sub]\r\n\"Mine\"=\"sub\"\r\n\r\n");
    const std::string keyLine = header + "[" + kRunKey + "]\r\n";
    struct Case {
        const char* value;
        std::string expected;
    } cases[] = {
        {"Bad", keyLine + "\"Bad\"=hex(7):61,00,62,00,00,00,\\\r\n  63,00,00,00,00,00\r\n\r\n"},
        {"", keyLine + "@=\"default\"\r\n\r\n"},
        {"Quo\"te", keyLine + "\"Quo\\\"te\"=dword:00000001\r\n\r\n"},
        {"Mine", keyLine + "\"Mine\"=\"mine.exe\"\r\n\r\n"},   // not the subkey's
        {"Missing", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ks::valueOnlyExport(exported, kRunKey, c.value)) << c.value;
}

TEST(Restore, AnExportedValueGivesTheTypeAndBytesTheRegistryHolds)
{
    const std::string keyLines = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ks]\r\n";
    const std::string wideText = std::string("a\0\"\0\\\0\n\0\0\0", 10);
    struct Case {
        const char* line;
        bool readable;
        unsigned long type;
        std::string data;
    } cases[] = {
        {"\"V\"=\"a\\\"\\\\\\n\"", true, REG_SZ, wideText},
        {"@=\"\"", true, REG_SZ, std::string("\0\0", 2)},
        {"\"Q\\\"=\"=dword:12345678", true, REG_DWORD, "\x78\x56\x34\x12"},
        {"\"B\"=hex:00,ff,\\\r\n  10", true, REG_BINARY, std::string("\0\xff\x10", 3)},
        {"\"M\"=hex(7):61,00,00,00,00,00", true, REG_MULTI_SZ, std::string("a\0\0\0\0\0", 6)},
        {"\"E\"=hex(2):", true, REG_EXPAND_SZ, ""},
        {"\"X\"=dword:123", false, 0, ""},
        {"\"X\"=hex:0g", false, 0, ""},
        {"\"X\"=\"open", false, 0, ""},
        {"X=\"no quotes\"", false, 0, ""},
    };
    for (const Case& c : cases) {
        unsigned long type = 0;
        std::string data;
        ASSERT_EQ(c.readable, ks::exportedValueData(keyLines + c.line + "\r\n\r\n", type, data))
            << c.line;
        if (c.readable) {
            EXPECT_EQ(c.type, type) << c.line;
            EXPECT_EQ(c.data, data) << c.line;
        }
    }
}

TEST(Restore, ARestoredFileLeavesThePendingDeletionsAndOnlyItsOwn)
{
    const char* session = "System\\CurrentControlSet\\Control\\Session Manager";
    ks::RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.open(HKEY_LOCAL_MACHINE, session, KEY_READ | KEY_SET_VALUE));
    DWORD size = 0;
    std::string before;
    if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &size) == ERROR_SUCCESS) {
        before.resize(size);
        RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&before[0]), &size);
    }
    const std::string pairs = std::string("\\??\\C:\\ks\\restored.txt\0\0", 24) +
                              std::string("\\??\\C:\\ks\\moved.txt\0\\??\\C:\\ks\\to.txt\0", 37) +
                              std::string("\\??\\C:\\ks\\other.txt\0\0\0", 22);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                             reinterpret_cast<const BYTE*>(pairs.data()),
                             static_cast<DWORD>(pairs.size())));
    EXPECT_TRUE(ks::unscheduleDeletion("C:\\KS\\Restored.txt"));
    const std::string left = ts::pendingRenames();
    EXPECT_EQ(std::string::npos, left.find("restored.txt"));
    EXPECT_NE(std::string::npos, left.find("moved.txt"));
    EXPECT_NE(std::string::npos, left.find("other.txt"));
    // Moving is not deleting: its source stays scheduled.
    EXPECT_TRUE(ks::unscheduleDeletion("C:\\ks\\moved.txt"));
    EXPECT_NE(std::string::npos, ts::pendingRenames().find("moved.txt"));
    if (before.empty())
        RegDeleteValueA(key.get(), "PendingFileRenameOperations");
    else
        RegSetValueExA(key.get(), "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(before.data()),
                       static_cast<DWORD>(before.size()));
}

TEST(Restore, ADamagedArchiveWritesOnlyItsRefusal)
{
    const std::string work = ts::freshWorkFolder("RestoreRefused");
    const std::string archive = work + "\\1,2,2026_3,4,5.zip";
    ts::writeTextFile(archive, "no zip");
    ts::RecordingEventSink events;
    ks::RestoreOptions options;
    options.logFolder = work + "\\Logs";
    const ks::RestoreSummary summary =
        ks::restoreBackup(archive, ts::machinePlaces(), options, nullptr);
    ASSERT_TRUE(summary.damaged);
    EXPECT_EQ(std::vector<std::string>{"4 error " + archive + "|" + summary.reason}, events.lines());
    EXPECT_FALSE(ts::pathExists(options.logFolder));
}
