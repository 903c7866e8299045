// A stand-in for browser and folder windows in the tests of
// closeBrowserWindows, and a program to start in the tests of launchProgram.
//
//   window_helper windows CLASS COUNT   opens COUNT top-level windows of
//                                       window class CLASS and runs until
//                                       ended (or all windows are closed)
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
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "windows") == 0)
        return openWindows(argv[2], std::atoi(argv[3]));
    return 1;
}
