// Boundaries: the places where Windows or the runtime calls into Kestrune
// (thread procedures, window, dialog and subclass procedures, enumeration
// callbacks, the two mains). No exception may cross one: it would end the
// program (a thread, main) or unwind through system code that does not
// expect it. Each boundary runs its body through one of the functions below,
// which turns an escaping exception into that kind of boundary's failure
// result and writes one KESTRUNE_EVENT_UNEXPECTED_ERROR (Error) naming the
// boundary and the exception. The failure results:
//   thread procedure        exit code kThreadFailed
//   window procedure        DefWindowProcA's answer (a subclass: DefSubclassProc's)
//   dialog procedure        FALSE (the dialog manager's default handling)
//   EnumWindows callback    FALSE (the enumeration stops)
//   main / WinMain          the caller's failure exit code
#pragma once

#include <windows.h>

#include <exception>
#include <new>
#include <type_traits>

namespace kestrune {

// The exit code of a thread procedure that an exception ended.
constexpr DWORD kThreadFailed = 1;

// Writes the event for an exception that reached `boundary`; `what` is its
// text. Never throws (an event that cannot be written is lost).
void reportEscapedException(const char* boundary, const char* what) noexcept;

// Calls `body` and returns what it returns. When an exception escapes it,
// reports it (above) and returns what `onFailure` returns; `onFailure` must
// not throw.
template <typename Body, typename OnFailure>
auto guarded(const char* boundary, Body&& body, OnFailure&& onFailure) noexcept
    -> decltype(onFailure())
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        reportEscapedException(boundary, "out of memory");
    } catch (const std::exception& error) {
        reportEscapedException(boundary, error.what());
    } catch (...) {
        reportEscapedException(boundary, "unknown exception");
    }
    return onFailure();
}

// A thread procedure's body (returning its exit code, or nothing for 0).
template <typename Body>
DWORD threadBoundary(const char* boundary, Body&& body) noexcept
{
    return guarded(
        boundary,
        [&]() -> DWORD {
            if constexpr (std::is_void_v<decltype(body())>) {
                body();
                return 0;
            } else {
                return body();
            }
        },
        [] { return kThreadFailed; });
}

// A window procedure's body for `message` of `window`.
template <typename Body>
LRESULT windowBoundary(const char* boundary, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam, Body&& body) noexcept
{
    return guarded(boundary, body, [&]() -> LRESULT {
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

// A dialog procedure's body.
template <typename Body>
INT_PTR dialogBoundary(const char* boundary, Body&& body) noexcept
{
    return guarded(boundary, body, []() -> INT_PTR { return FALSE; });
}

// An EnumWindows / EnumChildWindows callback's body.
template <typename Body>
BOOL enumBoundary(const char* boundary, Body&& body) noexcept
{
    return guarded(boundary, body, []() -> BOOL { return FALSE; });
}

// A program's main: its body's exit code, or `failureCode`.
template <typename Body>
int mainBoundary(const char* boundary, int failureCode, Body&& body) noexcept
{
    return guarded(boundary, body, [failureCode] { return failureCode; });
}

}  // namespace kestrune
