// Boundaries: an exception thrown through each kind of boundary comes out as
// that boundary's failure result and one event; a body that returns passes
// its result through and writes nothing.
#include "platform/boundary.h"

#include "support/recording_event_sink.h"

#include "kestrune_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace kestrune {
namespace {

using testing_support::RecordingEventSink;

const std::string kEventStart = std::to_string(KESTRUNE_EVENT_UNEXPECTED_ERROR) + " error ";
const char kWindowTitle[] = "boundary";   // DefWindowProc answers its length

DWORD WINAPI throwingThread(LPVOID)
{
    return threadBoundary("test thread", []() -> DWORD { throw std::bad_alloc(); });
}

DWORD WINAPI returningThread(LPVOID)
{
    return threadBoundary("test thread", []() -> DWORD { return 5; });
}

DWORD exitCodeOf(LPTHREAD_START_ROUTINE procedure)
{
    HANDLE thread = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
    if (thread == nullptr)
        return 0xFFFFFFFF;
    WaitForSingleObject(thread, 10000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

LRESULT CALLBACK throwingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return windowBoundary("test window", window, message, wParam, lParam, [&]() -> LRESULT {
        if (message == WM_GETTEXTLENGTH)
            throw std::runtime_error("window");
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

// What a hidden top-level window of throwingWindowProc answers to
// WM_GETTEXTLENGTH.
long long windowAnswer()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = throwingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KestruneBoundaryTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, kWindowTitle, WS_POPUP, 0, 0, 10,
                                  10, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr)
        return -1;
    const LRESULT answer = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    DestroyWindow(window);
    return answer;
}

INT_PTR CALLBACK throwingDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return dialogBoundary("test dialog", []() -> INT_PTR { throw 7; });
}

BOOL CALLBACK throwingEnumCallback(HWND, LPARAM calls)
{
    return enumBoundary("test enumeration", [&]() -> BOOL {
        ++*reinterpret_cast<int*>(calls);
        throw std::runtime_error("enumeration");
    });
}

// How often throwingEnumCallback was called by EnumWindows (two hidden
// top-level windows make sure that an enumeration going on would call it
// again).
long long enumCalls()
{
    HWND windows[2];
    for (HWND& window : windows)
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    int calls = 0;
    EnumWindows(throwingEnumCallback, reinterpret_cast<LPARAM>(&calls));
    for (HWND window : windows)
        DestroyWindow(window);
    return calls;
}

struct BoundaryRow {
    const char* name;
    std::function<long long()> run;
    long long expected;
    std::string event;   // empty: none
};

TEST(Boundary, AnExceptionBecomesTheFailureResultAndOneEvent)
{
    const BoundaryRow rows[] = {
        {"thread procedure: exit code kThreadFailed",
         [] { return exitCodeOf(throwingThread); }, kThreadFailed,
         "test thread|out of memory"},
        {"thread procedure that returns: its exit code",
         [] { return exitCodeOf(returningThread); }, 5, ""},
        {"window procedure: DefWindowProc's answer", windowAnswer,
         static_cast<long long>(sizeof kWindowTitle - 1), "test window|window"},
        {"dialog procedure: FALSE",
         [] { return throwingDialogProc(nullptr, WM_COMMAND, IDOK, 0); }, FALSE,
         "test dialog|unknown exception"},
        {"EnumWindows callback: FALSE, the enumeration stops", enumCalls, 1,
         "test enumeration|enumeration"},
        {"main: the caller's failure code",
         [] {
             return mainBoundary("test main", 2,
                                 []() -> int { throw std::logic_error("main"); });
         },
         2, "test main|main"},
        {"main that returns: its exit code",
         [] { return mainBoundary("test main", 2, [] { return 0; }); }, 0, ""},
    };
    for (const BoundaryRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingEventSink events;
        EXPECT_EQ(row.expected, row.run());
        const std::vector<std::string> expected =
            row.event.empty() ? std::vector<std::string>{}
                              : std::vector<std::string>{kEventStart + row.event};
        EXPECT_EQ(expected, events.lines());
    }
}

}  // namespace
}  // namespace kestrune
