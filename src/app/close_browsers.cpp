// Closing browser and folder windows before a scan.
#include "app/close_browsers.h"

#include "platform/boundary.h"
#include "platform/handles.h"
#include "removal/process_control.h"
#include "safety/own_places.h"

#include <algorithm>
#include <set>
#include <vector>

namespace kestrune {

const char kCloseBrowsersText[] =
    "It is highly recommend you close all internet explorer windows to remove attached "
    "parasites as well as any other open programs.\n Kill All Explorer Windows ?";
const char kCloseBrowsersCaption[] = "Alert!";

namespace {

// How long a terminated process is given to go, and its windows to vanish.
constexpr DWORD kProcessExitWait = 3000;
constexpr DWORD kWindowGoneWait = 1000;

// The window classes closed, one after the other: every browser window
// first, then every folder window.
const char* const kBrowserClasses[] = {"IEFrame", "CabinetWClass"};

struct BrowserWindow {
    HWND window;
    DWORD processId;
};

struct WindowSearch {
    const char* className;
    std::vector<BrowserWindow> windows;
};

// Out of memory stops the enumeration: the windows collected so far are
// closed, the others stay open.
BOOL CALLBACK collectBrowserWindow(HWND window, LPARAM lParam)
{
    return enumBoundary("browser window search", [&] {
        WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, search.className) == 0) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            search.windows.push_back({window, processId});
        }
        return TRUE;
    });
}

// Every top-level window of `className`, in z-order.
std::vector<BrowserWindow> browserWindows(const char* className)
{
    WindowSearch search{className, {}};
    EnumWindows(collectBrowserWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

DWORD shellProcessId()
{
    DWORD processId = 0;
    if (HWND shell = GetShellWindow())
        GetWindowThreadProcessId(shell, &processId);
    return processId;
}

// Waits a short while for each of `windows` to be destroyed.
void waitForWindowsGone(const std::vector<HWND>& windows)
{
    const DWORD start = GetTickCount();
    for (HWND window : windows) {
        while (IsWindow(window) && GetTickCount() - start < kWindowGoneWait)
            Sleep(20);
    }
}

// True when the process may be ended: not the shell's, and its image can be
// read and is no protected file.
bool mayEnd(DWORD processId, DWORD shellProcess, const ProtectedPlaces& places)
{
    if (processId == shellProcess)
        return false;
    const std::string image = processImagePath(processId);
    return !image.empty() && !places.isProtectedFile(image);
}

bool endProcess(DWORD processId)
{
    ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    return process.valid() && TerminateProcess(process.get(), 0) &&
           WaitForSingleObject(process.get(), kProcessExitWait) == WAIT_OBJECT_0;
}

// The windows of one class. Windows are listed again after each process,
// since ending one may open or close others.
int endWindowsOfClass(const char* className, const ProtectedPlaces& places)
{
    const DWORD self = GetCurrentProcessId();
    const DWORD shell = shellProcessId();
    std::set<DWORD> tried;
    int ended = 0;
    for (;;) {
        const std::vector<BrowserWindow> windows = browserWindows(className);
        auto next = std::find_if(windows.begin(), windows.end(), [&](const BrowserWindow& w) {
            return w.processId != 0 && w.processId != self && tried.count(w.processId) == 0;
        });
        if (next == windows.end())
            return ended;
        const DWORD processId = next->processId;
        tried.insert(processId);
        std::vector<HWND> own;
        for (const BrowserWindow& w : windows) {
            if (w.processId == processId)
                own.push_back(w.window);
        }
        if (mayEnd(processId, shell, places)) {
            if (!endProcess(processId))
                continue;
            ++ended;
        } else {
            for (HWND window : own)
                PostMessageA(window, WM_CLOSE, 0, 0);
        }
        waitForWindowsGone(own);
    }
}

// closeBrowserWindows after the Yes: class by class.
int endBrowserWindows(const ProtectedPlaces& places)
{
    int ended = 0;
    for (const char* className : kBrowserClasses)
        ended += endWindowsOfClass(className, places);
    return ended;
}

}  // namespace

int closeBrowserWindows(MessageBoxes& boxes)
{
    if (boxes.show(nullptr, kCloseBrowsersText, kCloseBrowsersCaption, kTopmostQuestionStyle) !=
        IDYES)
        return 0;
    return endBrowserWindows(ProtectedPlaces::forThisMachine(ownPlacesFromSettings()));
}

int closeBrowserWindows(MessageBoxes& boxes, const ProtectedPlaces& places)
{
    if (boxes.show(nullptr, kCloseBrowsersText, kCloseBrowsersCaption, kTopmostQuestionStyle) !=
        IDYES)
        return 0;
    return endBrowserWindows(places);
}

}  // namespace kestrune
