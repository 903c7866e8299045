// A stand-in for browser and folder windows in the tests of
// closeBrowserWindows, and a program to start in the tests of launchProgram.
//
//   window_helper windows CLASS COUNT   opens COUNT top-level windows of
//                                       window class CLASS and runs until
//                                       ended, or until all windows are
//                                       closed (exit code 10)
//   window_helper shell CLASS COUNT     the same, after making a window of
//                                       its own the shell window (exit code 4
//                                       when the system refuses)
//   window_helper exit CODE             ends at once with exit code CODE
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

int g_openWindows = 0;

LRESULT CALLBACK helperWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && --g_openWindows == 0)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Makes a window of this process the shell window, as the desktop's owner
// does; false when there is one already.
bool becomeShell()
{
    using SetShellWindowFunction = BOOL(WINAPI*)(HWND);
    const auto setShellWindow = reinterpret_cast<SetShellWindowFunction>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetShellWindow"));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KestruneTestShell";
    RegisterClassA(&windowClass);
    HWND shell = CreateWindowA("KestruneTestShell", "shell", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    return shell != nullptr && setShellWindow != nullptr && setShellWindow(shell) &&
           GetShellWindow() == shell;
}

int openWindows(const char* className, int count)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = helperWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return 2;
    for (int i = 0; i < count; ++i) {
        HWND window = CreateWindowA(className, "helper", WS_OVERLAPPEDWINDOW, 10 + 20 * i, 10,
                                    200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window == nullptr)
            return 3;
        ++g_openWindows;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 10;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "windows") == 0)
        return openWindows(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "shell") == 0)
        return becomeShell() ? openWindows(argv[2], std::atoi(argv[3])) : 4;
    return 1;
}
