// MainWindow run modally, driven from a helper thread: what the window shows
// after initialisation, the first-run reminder and the end of the topmost
// band, Preferences restoring the state it found, the minimum frame, and no
// scan while a removal question is open; File > Exit during an update that
// waits on a silent server.
#include "app/main_window.h"

#include "settings/settings_store.h"
#include "support/scripted_message_boxes.h"
#include "support/test_http_server.h"
#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kestrune {
namespace {

const char kReminder[] =
    "It is strongly recommended to update your protection to protect yourself again the latest "
    "parasites we detect\n Proceed with the upgrade?";

std::string text(HWND window, int id)
{
    char buffer[256] = "";
    GetDlgItemTextA(window, id, buffer, sizeof buffer);
    return buffer;
}

bool enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::initCommonControls();
        test::freshSettings();
        const std::string path = test::testProgramFolder() + "main.ks";
        ASSERT_TRUE(test::writeReferenceFile(path, test::markupWithParasites(2)));
        writeSetting("rfp", path);
        options_.messageBoxes = &boxes_;
        options_.loadingTimings.firstStepMs = 20;
        options_.loadingTimings.foundPauseMs = 0;
        options_.loadingTimings.afterLoadMs = 0;
        options_.loadingTimings.loadedPauseMs = 0;
        options_.startupTimerMs = 200;
    }
    void TearDown() override { test::clearSettings(); }

    // Runs the window; `actions` gets it on a helper thread once it is up.
    INT_PTR run(MainWindow& window, const std::function<void(HWND)>& actions)
    {
        INT_PTR result = 0;
        test::whileModal([&] { result = window.runModal(); },
                         [&] {
                             HWND main = test::waitForWindow(kWindowTitle, IDC_RESULT_LIST);
                             ASSERT_NE(main, nullptr);
                             actions(main);
                             PostMessageA(main, WM_COMMAND, ID_FILE_EXIT, 0);
                         });
        return result;
    }

    testing_support::ScriptedMessageBoxes boxes_;
    MainWindowOptions options_;
};

TEST_F(MainWindowTest, OpensWithEmptyCountersAndAsksTheFirstRunReminderWithoutOwner)
{
    boxes_.answer(IDNO);
    options_.startupTimerMs = 1500;   // time to look at the window before IDT_STARTUP
    MainWindow window(true, options_);
    bool topmostAtFirst = false, topmostLater = true;
    std::string status, counters, description;
    INT_PTR result = run(window, [&](HWND main) {
        topmostAtFirst = (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        status = text(main, IDC_STATUS_LINE);
        counters = text(main, IDC_MEMORY_COUNT) + text(main, IDC_REGISTRY_COUNT) +
                   text(main, IDC_COOKIES_COUNT) + text(main, IDC_FILES_COUNT);
        description = text(main, IDC_DESCRIPTION);
        ASSERT_TRUE(boxes_.waitForCount(1));
        Sleep(100);
        topmostLater = (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(topmostAtFirst) << "the window starts system-modal";
    EXPECT_FALSE(topmostLater) << "IDT_STARTUP moves it out of the topmost band";
    EXPECT_EQ(status, "Prepared to start scanning!");
    EXPECT_EQ(counters, "");
    EXPECT_EQ(description, "");
    EXPECT_EQ(window.parasiteList().count(), 2);
    ASSERT_EQ(boxes_.count(), 1u) << "No to the reminder: nothing else is asked";
    testing_support::ShownMessage reminder = boxes_.shown()[0];
    EXPECT_EQ(reminder.text, kReminder);
    EXPECT_EQ(reminder.caption, "Kestrune v2.01");
    EXPECT_EQ(reminder.owner, nullptr);
    EXPECT_EQ(reminder.style,
              static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST | MB_SETFOREGROUND));
}

TEST_F(MainWindowTest, NoReminderWhenItIsNotTheFirstRun)
{
    MainWindow window(false, options_);
    run(window, [&](HWND) { Sleep(600); });
    EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(MainWindowTest, PreferencesPutsBackTheStateItFound)
{
    MainWindow window(false, options_);
    bool duringScan = true, afterScanPrefs = true, afterIdlePrefs = false;
    run(window, [&](HWND main) {
        SendMessageA(main, WM_SCAN_STATE, 0, static_cast<LPARAM>(UiState::Scanning));
        PostMessageA(main, WM_COMMAND, ID_SETTINGS_PREFERENCES, 0);
        HWND prefs = test::waitForWindow("Kestrune v2.01 Preferences", IDC_LOG_PATH);
        ASSERT_NE(prefs, nullptr);
        duringScan = enabled(main, IDC_SCAN);
        test::clickButton(prefs, IDCANCEL);
        Sleep(100);
        afterScanPrefs = enabled(main, IDC_SCAN) || enabled(main, IDC_UPDATE);

        // The work ends while Preferences is open: its Idle stays.
        PostMessageA(main, WM_COMMAND, ID_TRAY_PREFERENCES, 0);
        prefs = test::waitForWindow("Kestrune v2.01 Preferences", IDC_LOG_PATH);
        ASSERT_NE(prefs, nullptr);
        window.setUiState(UiState::Idle);                  // as the flow's end would
        test::clickButton(prefs, IDCANCEL);
        Sleep(100);
        afterIdlePrefs = enabled(main, IDC_SCAN) && enabled(main, IDC_UPDATE);
    });
    EXPECT_FALSE(duringScan);
    EXPECT_FALSE(afterScanPrefs) << "closing Preferences must not re-enable a running scan's buttons";
    EXPECT_TRUE(afterIdlePrefs);
    EXPECT_EQ(window.uiState(), UiState::Idle);
}

TEST_F(MainWindowTest, FrameDragsKeepAtLeast630By420)
{
    MainWindow window(false, options_);
    RECT dragged = {100, 100, 300, 200};
    run(window, [&](HWND main) {
        SendMessageA(main, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
    });
    EXPECT_EQ(dragged.right - dragged.left, 630);
    EXPECT_EQ(dragged.bottom - dragged.top, 420);
    EXPECT_EQ(dragged.left, 100);
    EXPECT_EQ(dragged.top, 100);
}

TEST_F(MainWindowTest, EveryResultColumnStaysInViewAfterSizing)
{
    MainWindow window(false, options_);
    int widths[4] = {};
    RECT listClient = {};
    run(window, [&](HWND main) {
        ShowWindow(main, SW_MINIMIZE);
        ShowWindow(main, SW_RESTORE);
        HWND list = GetDlgItem(main, IDC_RESULT_LIST);
        GetClientRect(list, &listClient);
        for (int c = 0; c < 4; ++c)
            widths[c] = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
    });
    EXPECT_GT(widths[2], 0);
    EXPECT_GT(widths[3], 0);
    EXPECT_LE(widths[0] + widths[1] + widths[2] + widths[3], listClient.right);
}

TEST_F(MainWindowTest, NoScanStartsWhileARemovalQuestionIsOpen)
{
    writeSetting(kSettingConfirmRemoval, "1");
    writeSetting(kSettingAutoSaveLog, "1");
    writeSetting(kSettingLogFolder, test::testProgramFolder() + "logs");
    testing_support::ScriptedMessageBoxes boxes;
    options_.messageBoxes = &boxes;
    MainWindow window(false, options_);
    // The backup offer has no owner, so the window takes commands meanwhile.
    boxes.whileOpen = [&](const std::string& caption) {
        if (caption == "Permission") {
            window.scanCommands().startScan();
            window.scanCommands().startFolderScan();
        }
    };
    window.scanCommands().setFolderPicker([] { return std::string("C:\\"); });
    boxes.answer(IDNO);   // no backup: remove at once
    boxes.answer(IDOK);   // the summary
    run(window, [&](HWND main) {
        Find find{ItemKind::File, 0, 0, "C:\\nowhere\\p1.exe"};
        SendMessageA(main, WM_FOUND_FILE, 0, reinterpret_cast<LPARAM>(new Find(find)));
        PostMessageA(main, WM_COMMAND, IDC_DELETE, 0);
        ASSERT_TRUE(boxes.waitForCount(2));
    });
    ASSERT_EQ(2u, boxes.shown().size());
    EXPECT_EQ("Permission", boxes.shown()[0].caption);
    EXPECT_EQ(applicationTitle(), boxes.shown()[1].caption);   // the answer was acted on
    EXPECT_FALSE(window.scanCommands().scanThreadStarted());
    EXPECT_FALSE(window.removal().busy());
    EXPECT_EQ(UiState::Idle, window.uiState());
    EXPECT_EQ(0, boxes.unexpected());
}

// File > Exit while the check waits on a server that never answers: the
// transfer is ended and the program closes at once, not after the 30 s
// receive timeout, with nothing asked, installed or left behind.
TEST_F(MainWindowTest, FileExitEndsAnUpdateThatWaitsOnASilentServer)
{
    ASSERT_TRUE(test::resetTestServer());
    test::useUpdateServer();
    ASSERT_TRUE(test::servePage("/def/def_newv2.html", "", -1));
    std::string rfp, after;
    readSetting("rfp", rfp);
    options_.updateTimings.phaseDelayMs = 10;
    MainWindow window(false, options_);
    bool asked = false;
    DWORD exitPosted = 0;
    INT_PTR result = 0;
    test::whileModal([&] { result = window.runModal(); },
                     [&] {
                         HWND main = test::waitForWindow(kWindowTitle, IDC_RESULT_LIST);
                         ASSERT_NE(main, nullptr);
                         Sleep(600);   // the start-up load is over
                         PostMessageA(main, WM_COMMAND, IDC_UPDATE, 0);
                         for (int i = 0; i < 100 && !asked; ++i) {
                             Sleep(100);
                             asked = test::testServerLog().find("def_newv2") != std::string::npos;
                         }
                         Sleep(300);
                         exitPosted = GetTickCount();
                         PostMessageA(main, WM_COMMAND, ID_FILE_EXIT, 0);
                     });
    const DWORD closing = GetTickCount() - exitPosted;
    ASSERT_TRUE(asked) << "the update never asked for the version page";
    EXPECT_EQ(result, IDOK);
    EXPECT_LT(closing, 5000u) << "closing took " << closing << " ms";
    EXPECT_EQ(boxes_.count(), 0u) << "nothing is asked or reported while closing";
    readSetting("rfp", after);
    EXPECT_EQ(after, rfp);
}

}  // namespace
}  // namespace kestrune
