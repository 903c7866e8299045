// AppInstance's single-instance test: a signalled event stops every start and
// is left alone; a window titled "Kestrune v2.01" stops the start, and the
// event is reset and closed as after a normal run.
#include "app/app_instance.h"

#include "app/open_url.h"
#include "support/window_test_helpers.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(AppInstanceTest, SignalledEventStopsTheStartAndIsLeftAlone)
{
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, "APP_ALREADY_RUNNING_CHECK");
    ASSERT_NE(event, nullptr);
    bool signalled = false;
    EXPECT_TRUE(anotherInstanceRuns(event, signalled));
    EXPECT_TRUE(signalled);

    AppInstance app;
    EXPECT_FALSE(app.start());
    EXPECT_TRUE(app.exitedOnSignal());
    EXPECT_FALSE(app.ranMainWindow());
    app.finish();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "the event stays signalled";
    CloseHandle(event);
}

TEST(AppInstanceTest, WindowWithTheTitleStopsTheStart)
{
    HWND window = CreateWindowExA(0, "STATIC", "Kestrune v2.01", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    HANDLE watcher = CreateEventA(nullptr, TRUE, FALSE, "APP_ALREADY_RUNNING_CHECK");
    ASSERT_NE(watcher, nullptr);
    bool signalled = true;
    EXPECT_TRUE(anotherInstanceRuns(watcher, signalled));
    EXPECT_FALSE(signalled);

    AppInstance app;
    EXPECT_FALSE(app.start());
    EXPECT_FALSE(app.exitedOnSignal());
    EXPECT_FALSE(app.ranMainWindow()) << "a hidden window with the title counts too";
    SetEvent(watcher);   // as if something signalled it meanwhile
    app.finish();
    EXPECT_EQ(WaitForSingleObject(watcher, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "finish resets the event";
    CloseHandle(watcher);
    // A start again as administrator waits for that window, and only so long.
    EXPECT_FALSE(waitForEarlierInstance(300));
    DestroyWindow(window);
    EXPECT_TRUE(waitForEarlierInstance(0));
}

TEST(OpenUrlTest, BrowserCommandIsCutBeforeItsPlaceholder)
{
    struct Row {
        const char* command;
        const char* expected;
    };
    const Row rows[] = {
        {"\"C:\\b\\browser.exe\" -nohome \"%1\"", "\"C:\\b\\browser.exe\" -nohome  http://h/help.html"},
        {"C:\\b\\browser.exe %1 -x", "C:\\b\\browser.exe  http://h/help.html"},
        {"C:\\b\\browser.exe", "C:\\b\\browser.exe http://h/help.html"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(browserCommandLine(row.command, "http://h/help.html"), row.expected) << row.command;
}

}  // namespace
}  // namespace kestrune
