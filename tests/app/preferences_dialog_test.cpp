// PreferencesDialog driven as a user would: what it shows, what OK and Cancel
// write, the order of its checks, the Run entry, and a save that fails.
#include "app/preferences_dialog.h"

#include "settings/settings_store.h"
#include "support/scripted_message_boxes.h"
#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

const char kTitle[] = "Kestrune v2.01 Preferences";

std::string setting(const char* name)
{
    std::string text;
    return readSetting(name, text) ? text : std::string("<missing>");
}

std::string runEntry()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[512] = "";
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(key, "Kestrune", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(data) : std::string("<missing>");
}

std::string controlText(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool checked(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setText(HWND dialog, int id, const std::string& text)
{
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Locks a key of HKEY_CURRENT_USER (an empty DACL: every access is refused)
// or unlocks it (no DACL). Its owner may always change the DACL.
bool lockUserKey(const char* path, bool locked)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR descriptor;
    ACL empty;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, locked ? &empty : nullptr, FALSE);
    const LONG result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::freshSettings();
        folder_ = test::testProgramFolder();
        reference_ = folder_ + "prefs.ks";
        ASSERT_TRUE(test::writeReferenceFile(reference_, test::markupWithParasites(1)));
        writeSetting("rfp", reference_);
        writeSetting("lfp", folder_);
        writeSetting("abrs", "1");
        writeSetting("acu", "0");
        writeSetting("asl", "1");
        writeSetting("mtst", "yes");
        writeSetting("ras", "1");
        writeSetting("sas", "0");
    }
    void TearDown() override { test::clearSettings(); }

    // Runs the dialog; `actions` gets its window on a helper thread.
    INT_PTR run(const std::function<void(HWND)>& actions)
    {
        INT_PTR result = 0;
        test::whileModal(
            [&] {
                PreferencesDialog dialog(boxes_);
                result = dialog.run(nullptr);
            },
            [&] {
                HWND dialog = test::waitForWindow(kTitle, IDC_LOG_PATH);
                ASSERT_NE(dialog, nullptr);
                actions(dialog);
                // A failed expectation must not leave the modal loop waiting.
                if (HWND left = test::waitForWindow(kTitle, IDC_LOG_PATH, 200))
                    PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
            });
        return result;
    }

    testing_support::ScriptedMessageBoxes boxes_;
    std::string folder_;
    std::string reference_;
};

TEST_F(PreferencesTest, ShowsTheSettingsAndCancelWritesNothing)
{
    std::string shownLog, shownReference;
    bool ras = false, sas = true, asl = false, abrs = false, acu = true;
    INT_PTR result = run([&](HWND dialog) {
        shownLog = controlText(dialog, IDC_LOG_PATH);
        shownReference = controlText(dialog, IDC_REFERENCE_PATH);
        ras = checked(dialog, IDC_RUN_AT_STARTUP);
        sas = checked(dialog, IDC_SCAN_AT_STARTUP);
        asl = checked(dialog, IDC_AUTO_SAVE_LOG);
        abrs = checked(dialog, IDC_CONFIRM_REMOVAL);
        acu = checked(dialog, IDC_AUTO_CHECK_UPDATES);
        setText(dialog, IDC_LOG_PATH, "C:\\");
        test::clickButton(dialog, IDC_RUN_AT_STARTUP);
        test::clickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(shownLog, folder_);
    EXPECT_EQ(shownReference, reference_);
    EXPECT_TRUE(ras);
    EXPECT_FALSE(sas);
    EXPECT_TRUE(asl);
    EXPECT_TRUE(abrs);
    EXPECT_FALSE(acu);
    EXPECT_EQ(setting("lfp"), folder_);
    EXPECT_EQ(setting("ras"), "1");
    EXPECT_EQ(setting("mtst"), "yes");
    EXPECT_EQ(runEntry(), "<missing>");
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(PreferencesTest, OkRewritesEverySettingAndTheRunEntry)
{
    INT_PTR result = run([&](HWND dialog) {
        test::clickButton(dialog, IDC_SCAN_AT_STARTUP);   // tick "Scan at Windows startup"
        test::clickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(setting("rfp"), reference_);
    EXPECT_EQ(setting("lfp"), folder_);
    EXPECT_EQ(setting("abrs"), "1");
    EXPECT_EQ(setting("acu"), "0");
    EXPECT_EQ(setting("asl"), "1");
    EXPECT_EQ(setting("mtst"), "0") << "a text other than \"1\" is written back as \"0\"";
    EXPECT_EQ(setting("ras"), "1");
    EXPECT_EQ(setting("sas"), "1");
    EXPECT_EQ(runEntry(), "\"" + programPath() + "\" /s");
    EXPECT_TRUE(boxes_.shown().empty());

    writeSetting("mtst", "1");
    run([&](HWND dialog) {
        test::clickButton(dialog, IDC_RUN_AT_STARTUP);   // untick "Run at Windows startup"
        test::clickButton(dialog, IDOK);
    });
    EXPECT_EQ(setting("mtst"), "1");
    EXPECT_EQ(setting("ras"), "0");
    EXPECT_EQ(runEntry(), "<missing>");
}

TEST_F(PreferencesTest, LogFolderIsCheckedBeforeTheReferenceFile)
{
    bool openAfterFirst = false, openAfterSecond = false;
    INT_PTR result = run([&](HWND dialog) {
        setText(dialog, IDC_LOG_PATH, folder_ + "no-such-folder");
        setText(dialog, IDC_REFERENCE_PATH, folder_ + "no-such-file.ks");
        test::clickButton(dialog, IDOK);
        openAfterFirst = IsWindow(dialog) != FALSE;
        // A file passes the folder check: PathFileExistsA is true for files.
        setText(dialog, IDC_LOG_PATH, reference_);
        test::clickButton(dialog, IDOK);
        openAfterSecond = IsWindow(dialog) != FALSE;
        setText(dialog, IDC_REFERENCE_PATH, reference_);
        test::clickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(openAfterFirst);
    EXPECT_TRUE(openAfterSecond);
    ASSERT_EQ(boxes_.shown().size(), 2u);
    EXPECT_EQ(boxes_.shown()[0].text, "Invalid log file path.");
    EXPECT_EQ(boxes_.shown()[1].text, "Invalid definition file path.");
    for (const testing_support::ShownMessage& box : boxes_.shown()) {
        EXPECT_EQ(box.caption, applicationTitle());
        EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(setting("lfp"), reference_);
}

TEST_F(PreferencesTest, AFailedSaveIsReportedAndTheDialogStaysOpen)
{
    bool locked = false, openAfterOk = false;
    INT_PTR result = run([&](HWND dialog) {
        locked = lockUserKey(kSettingsKeyPath, true);
        test::clickButton(dialog, IDOK);
        openAfterOk = IsWindow(dialog) != FALSE;
        lockUserKey(kSettingsKeyPath, false);
        test::clickButton(dialog, IDCANCEL);
    });
    ASSERT_TRUE(locked);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterOk);
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].text, "The settings could not be saved.");
    EXPECT_EQ(boxes_.shown()[0].caption, applicationTitle());
    EXPECT_EQ(boxes_.shown()[0].style, static_cast<UINT>(MB_OK));
}

TEST_F(PreferencesTest, SavePreferencesFailsWhenAValueOrTheRunEntryIsNotWritten)
{
    struct Row {
        const char* why;
        const char* lockedKey;   // null: none
        int runAtStartup;
        bool entryBefore;
        bool saved;
    };
    const Row rows[] = {
        {"nothing locked", nullptr, 1, false, true},
        {"nothing locked, no entry to remove", nullptr, 0, false, true},
        {"settings key locked", kSettingsKeyPath, 0, false, false},
        {"Run key locked, entry to add", kRunKeyPath, 1, false, false},
        {"Run key locked, entry left behind", kRunKeyPath, 0, true, false},
    };
    for (const Row& row : rows) {
        removeRunEntry(kRunEntryName);
        if (row.entryBefore) {
            ASSERT_TRUE(addRunEntry(kRunEntryName, "entry")) << row.why;
        }
        SettingsSnapshot snapshot;
        snapshot.runAtStartup = row.runAtStartup;
        if (row.lockedKey != nullptr) {
            ASSERT_TRUE(lockUserKey(row.lockedKey, true)) << row.why;
        }
        EXPECT_EQ(savePreferences(snapshot), row.saved) << row.why;
        if (row.lockedKey != nullptr)
            lockUserKey(row.lockedKey, false);
    }
    removeRunEntry(kRunEntryName);
}

TEST_F(PreferencesTest, LoadPreferencesLeavesUnreadableValuesAsTheyWere)
{
    test::freshSettings();
    writeSetting("asl", "0");
    SettingsSnapshot snapshot;
    snapshot.logPath = "kept";
    snapshot.confirmRemoval = 1;
    snapshot.autoSaveLog = 1;
    loadPreferences(snapshot);
    EXPECT_EQ(snapshot.logPath, "kept");
    EXPECT_EQ(snapshot.confirmRemoval, 1);
    EXPECT_EQ(snapshot.autoSaveLog, 0);
}

}  // namespace
}  // namespace kestrune
