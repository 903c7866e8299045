// Waiting for programs without freezing the window, matching processes by
// their image path, and the unregistering run.
#include "removal/process_control.h"

#include "platform/handles.h"
#include "support/removal_fixtures.h"

#include <gtest/gtest.h>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

namespace {

int g_dispatched = 0;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 7)
        ++g_dispatched;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A process of removal_helper that sleeps for `ms`.
ks::ScopedHandle sleeper(DWORD ms)
{
    std::string commandLine = "\"" + ts::removalHelperPath() + "\" sleep " + std::to_string(ms);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return ks::ScopedHandle();
    CloseHandle(info.hThread);
    return ks::ScopedHandle(info.hProcess);
}

}  // namespace

TEST(ProcessWait, WindowMessagesAreDispatchedWhileWaiting)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = countingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KestruneWaitTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("KestruneWaitTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    ks::ScopedHandle process = sleeper(400);
    ASSERT_TRUE(process.valid());
    g_dispatched = 0;
    PostMessageA(window, WM_APP + 7, 0, 0);
    EXPECT_TRUE(ks::waitForProcess(process.get(), 10000));
    EXPECT_EQ(1, g_dispatched);
    DestroyWindow(window);
}

TEST(ProcessWait, AQuitRequestStaysQueuedAndTheWaitStillEnds)
{
    ks::ScopedHandle process = sleeper(300);
    ASSERT_TRUE(process.valid());
    PostQuitMessage(7);
    EXPECT_TRUE(ks::waitForProcess(process.get(), 10000));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST(ProcessWait, TheWaitIsBounded)
{
    ks::ScopedHandle process = sleeper(20000);
    ASSERT_TRUE(process.valid());
    DWORD start = GetTickCount();
    EXPECT_FALSE(ks::waitForProcess(process.get(), 300));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 5000u);
    TerminateProcess(process.get(), 0);
}

TEST(ProcessControl, UnregisteringRunsRegsvr32ToItsEnd)
{
    ts::RecordingRemovalReport report;
    EXPECT_TRUE(ks::unregisterServer("C:\\no\\such\\component.dll", ts::machinePlaces(), &report));
    ASSERT_EQ(1u, report.steps.size());
    EXPECT_EQ(ks::ProgramStep::Unregistered, report.steps[0].kind);
    EXPECT_EQ("C:\\no\\such\\component.dll", report.steps[0].path);
}

TEST(ProcessControl, PathsCompareWithoutCaseAndExtensionsToo)
{
    EXPECT_TRUE(ks::samePath("C:\\Bad\\A.EXE", "c:\\bad\\a.exe"));
    EXPECT_FALSE(ks::samePath("C:\\Bad\\a.exe", "C:\\Bad\\banana.exe"));
    EXPECT_FALSE(ks::samePath("a.exe", "C:\\Bad\\a.exe"));
    EXPECT_FALSE(ks::samePath("", ""));
    EXPECT_TRUE(ks::hasExtension("C:\\x\\setup.EXE", "exe"));
    EXPECT_FALSE(ks::hasExtension("C:\\a.exe\\readme", "exe"));
    EXPECT_TRUE(ks::hasExtension("C:\\x\\control.Ocx", "ocx"));
}

TEST(ProcessControl, ThisProgramIsNeverEnded)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    EXPECT_EQ(0, ks::terminateProcessByName(self, ks::ProtectedPlaces()));
}

TEST(ProcessControl, StopFolderProgramsNeedsAFolder)
{
    EXPECT_FALSE(ks::stopFolderPrograms("C:\\no\\such\\folder", ts::machinePlaces()));
    EXPECT_FALSE(ks::stopFolderPrograms("C:\\removalfix\\linked\\Bad\\outlink", ts::machinePlaces()));
}
