// closeBrowserWindows against real windows of class "IEFrame" and
// "CabinetWClass" that window_helper.exe (copied next to this program) opens.
#include "app/close_browsers.h"

#include "platform/handles.h"
#include "settings/settings_store.h"
#include "support/scripted_message_boxes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ks = kestrune;
using ks::testing_support::ScriptedMessageBoxes;

namespace {

std::string helperPath()
{
    return ks::programFolder() + "window_helper.exe";
}

struct EnumState {
    const char* className;
    DWORD processId;   // 0: any process
    int count;
};

BOOL CALLBACK countWindow(HWND window, LPARAM lParam)
{
    EnumState& state = *reinterpret_cast<EnumState*>(lParam);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (lstrcmpA(className, state.className) == 0 &&
        (state.processId == 0 || state.processId == processId))
        ++state.count;
    return TRUE;
}

// Top-level windows of a class, of one process or of all.
int countWindows(const char* className, DWORD processId = 0)
{
    EnumState state = {className, processId, 0};
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&state));
    return state.count;
}

// A running window_helper that opened its windows; ended when destroyed.
// `mode` is "windows" or "shell"; `program` a copy of the helper to run.
class HelperProcess {
public:
    HelperProcess(const char* className, int count, const char* mode = "windows",
                  const std::string& program = helperPath())
    {
        std::string commandLine = "\"" + program + "\" " + mode + " " + className + " " +
                                  std::to_string(count);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
        const DWORD start = GetTickCount();
        while (countWindows(className, id_) < count && GetTickCount() - start < 10000)
            Sleep(20);
        ready_ = countWindows(className, id_) == count;
    }
    ~HelperProcess()
    {
        if (running())
            TerminateProcess(process_.get(), 1);
    }
    bool ready() const { return ready_; }
    DWORD id() const { return id_; }
    bool running() const
    {
        return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
    }
    // The exit code once ended (10: all its windows were closed), or -1.
    int exitCode() const
    {
        DWORD code = 0;
        if (!process_.valid() || WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.get(), &code))
            return -1;
        return static_cast<int>(code);
    }
    // When the process ended (FILETIME as a number); 0 while it runs.
    ULONGLONG exitTime() const
    {
        FILETIME created, exited = {0, 0}, kernel, user;
        if (running() || !GetProcessTimes(process_.get(), &created, &exited, &kernel, &user))
            return 0;
        return (static_cast<ULONGLONG>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
    }

private:
    ks::ScopedHandle process_;
    DWORD id_ = 0;
    bool ready_ = false;
};

void expectTheAlertQuestion(const ScriptedMessageBoxes& boxes)
{
    ASSERT_EQ(1u, boxes.shown().size());
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ("It is highly recommend you close all internet explorer windows to remove attached "
              "parasites as well as any other open programs.\n Kill All Explorer Windows ?",
              box.text);
    EXPECT_EQ("Alert!", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST),
              box.style);
}

}  // namespace

TEST(CloseBrowserWindows, AnyAnswerButYesTouchesNothing)
{
    HelperProcess browser("IEFrame", 1);
    ASSERT_TRUE(browser.ready());
    for (int answer : {IDNO, 0}) {
        ScriptedMessageBoxes boxes{answer};
        EXPECT_EQ(0, ks::closeBrowserWindows(boxes));
        expectTheAlertQuestion(boxes);
    }
    EXPECT_TRUE(browser.running());
    EXPECT_EQ(1, countWindows("IEFrame", browser.id()));
}

TEST(CloseBrowserWindows, YesEndsEveryBrowserAndFolderWindowProcess)
{
    HelperProcess browser("IEFrame", 3);
    HelperProcess folders("CabinetWClass", 2);
    ASSERT_TRUE(browser.ready());
    ASSERT_TRUE(folders.ready());

    ScriptedMessageBoxes boxes{IDYES};
    EXPECT_EQ(2, ks::closeBrowserWindows(boxes));
    expectTheAlertQuestion(boxes);
    EXPECT_FALSE(browser.running());
    EXPECT_FALSE(folders.running());
    // Class by class: the browser went first, although the folder windows,
    // opened later, lie above it.
    EXPECT_LT(browser.exitTime(), folders.exitTime());
    EXPECT_EQ(0, countWindows("IEFrame"));
    EXPECT_EQ(0, countWindows("CabinetWClass"));
}

TEST(CloseBrowserWindows, AWindowThatDoesNotGoEndsTheLoop)
{
    // A browser-class window of this very program: its process must not be
    // ended, and the loop must not spin on it.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "IEFrame";
    RegisterClassA(&windowClass);
    HWND own = CreateWindowA("IEFrame", "own", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, own);

    ScriptedMessageBoxes boxes{IDYES};
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, ks::closeBrowserWindows(boxes));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(IsWindow(own));
    DestroyWindow(own);
    UnregisterClassA("IEFrame", windowClass.hInstance);
}

TEST(CloseBrowserWindows, TheShellsProcessAndProtectedProgramsOnlyHaveTheirWindowsClosed)
{
    ASSERT_EQ(nullptr, GetShellWindow()) << "the test prefix has a shell window already";
    HelperProcess shell("CabinetWClass", 2, "shell");
    ASSERT_TRUE(shell.ready());
    DWORD shellOwner = 0;
    GetWindowThreadProcessId(GetShellWindow(), &shellOwner);
    ASSERT_EQ(shell.id(), shellOwner);
    const std::string guardedCopy = ks::programFolder() + "guarded_helper.exe";
    ASSERT_TRUE(CopyFileA(helperPath().c_str(), guardedCopy.c_str(), FALSE));
    HelperProcess guarded("IEFrame", 1, "windows", guardedCopy);
    HelperProcess plain("IEFrame", 1);
    ASSERT_TRUE(guarded.ready());
    ASSERT_TRUE(plain.ready());
    ks::ProtectedPlaces places;
    places.addFile(guardedCopy);

    ScriptedMessageBoxes boxes{IDYES};
    EXPECT_EQ(1, ks::closeBrowserWindows(boxes, places));

    EXPECT_FALSE(plain.running());
    EXPECT_EQ(0, countWindows("CabinetWClass"));
    EXPECT_EQ(0, countWindows("IEFrame"));
    // Both ended on their own once their windows had closed; an ended
    // process would have exit code 0.
    EXPECT_EQ(10, shell.exitCode());
    EXPECT_EQ(10, guarded.exitCode());
}
