// The window thread's message pump, and waiting for programs without
// freezing the window.
#include "app/message_pump.h"

#include "platform/handles.h"
#include "support/removal_fixtures.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(ProcessWait, WindowMessagesAreDispatchedOrFilteredWhileWaiting)
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
    // The filter takes the second one before it is dispatched.
    PostMessageA(window, WM_APP + 7, 1, 0);
    int filtered = 0;
    EXPECT_TRUE(ks::waitWhilePumping(process.get(), 10000, [&](MSG& message) {
        return message.message == WM_APP + 7 && message.wParam == 1 && ++filtered > 0;
    }));
    EXPECT_EQ(1, g_dispatched);
    EXPECT_EQ(1, filtered);
    DestroyWindow(window);
}

TEST(ProcessWait, AQuitRequestStaysQueuedAndTheWaitStillEnds)
{
    ks::ScopedHandle process = sleeper(300);
    ASSERT_TRUE(process.valid());
    PostQuitMessage(7);
    EXPECT_TRUE(ks::waitWhilePumping(process.get(), 10000));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST(ProcessWait, TheWaitIsBounded)
{
    ks::ScopedHandle process = sleeper(20000);
    ASSERT_TRUE(process.valid());
    DWORD start = GetTickCount();
    EXPECT_FALSE(ks::waitWhilePumping(process.get(), 300));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 5000u);
    TerminateProcess(process.get(), 0);
}

TEST(PumpMessages, DispatchesWaitingMessagesAndKeepsAQuit)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0));
    PostQuitMessage(7);
    ks::pumpMessages();
    // The thread message was taken; the quit is waiting again for the next loop.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}
