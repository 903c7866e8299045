// Shell starts, the cookies folder, closing browser windows and the message pump.
#include "removal/shell_utils.h"

#include <shellapi.h>
#include <shlobj.h>

#include <set>

namespace kestrune {

const char kCloseBrowsersText[] =
    "It is highly recommend you close all internet explorer windows to remove attached "
    "parasites as well as any other open programs.\n Kill All Explorer Windows ?";
const char kCloseBrowsersCaption[] = "Alert!";

namespace {

// How long a terminated process is given to go, and its window to vanish.
constexpr DWORD kProcessExitWait = 3000;
constexpr DWORD kWindowGoneWait = 1000;

HWND findBrowserWindow()
{
    HWND window = FindWindowA("IEFrame", nullptr);
    if (window == nullptr)
        window = FindWindowA("CabinetWClass", nullptr);
    return window;
}

// Waits a short while for `window` to be destroyed after its process ended.
void waitForWindowGone(HWND window)
{
    DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < kWindowGoneWait)
        Sleep(20);
}

}  // namespace

bool launchProgram(const std::string& file, const std::string& parameters)
{
    HINSTANCE result = ShellExecuteA(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr,
                                     SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) >= 32;
}

bool launchProgram(const std::string& file, const std::string& parameters, ScopedHandle& process)
{
    process.reset();
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info))
        return false;
    process.reset(info.hProcess);
    return true;
}

std::string cookiesFolder()
{
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_COOKIES, FALSE))
        return std::string();
    return buffer;
}

int closeBrowserWindows(MessageBoxes& boxes)
{
    if (boxes.show(nullptr, kCloseBrowsersText, kCloseBrowsersCaption, kCloseBrowsersStyle) != IDYES)
        return 0;

    const DWORD self = GetCurrentProcessId();
    std::set<DWORD> tried;
    int ended = 0;
    while (HWND window = findBrowserWindow()) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        // A window whose process already had its try, or our own, will not go.
        if (processId == 0 || processId == self || !tried.insert(processId).second)
            break;
        ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
        if (!process.valid())
            break;
        if (TerminateProcess(process.get(), 0) &&
            WaitForSingleObject(process.get(), kProcessExitWait) == WAIT_OBJECT_0) {
            ++ended;
            waitForWindowGone(window);
        }
    }
    return ended;
}

void pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.hwnd != nullptr && IsDialogMessageA(msg.hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace kestrune
