// Helpers of the window-level tests.
#include "support/window_test_helpers.h"

#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "platform/system_text.h"

#include <commctrl.h>

namespace kestrune {
namespace test {

std::string testProgramFolder()
{
    return folderPartOf(moduleFilePath());
}

bool writeReferenceFile(const std::string& path, const std::string& markup)
{
    std::string bytes = markup;
    scrambleBytes(bytes);
    return writeWholeFile(path, bytes);
}

std::string markupWithParasites(int count)
{
    std::string markup = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<KS>\n";
    for (int i = 1; i <= count; ++i)
        markup += "  <SW NAME=\"P" + std::to_string(i) +
                  "\"><DANGER_LEVEL>1</DANGER_LEVEL><DESCRIPTION>d</DESCRIPTION></SW>\n";
    return markup + "</KS>\n";
}

bool fileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void clearSettings()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Kestrune");
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Kestrune");
        RegCloseKey(run);
    }
}

void freshSettings()
{
    clearSettings();
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Kestrune", &key) == ERROR_SUCCESS)
        RegCloseKey(key);
}

namespace {

struct Search {
    std::string title;
    int childId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    if (!search.title.empty()) {
        char title[256] = "";
        GetWindowTextA(window, title, sizeof title);
        if (search.title != title)
            return TRUE;
    }
    if (search.childId != 0 && GetDlgItem(window, search.childId) == nullptr)
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND waitForWindow(const std::string& title, int childId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        Search search = {title, childId, nullptr};
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

void whileModal(const std::function<void()>& modal, const std::function<void()>& actions)
{
    std::thread helper(actions);
    modal();
    helper.join();
}

void clickButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    LONG type = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX) {
        SendMessageA(button, BM_CLICK, 0, 0);
        return;
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

TextRecorder* TextRecorder::current_ = nullptr;

TextRecorder::TextRecorder(int controlId) : controlId_(controlId)
{
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, nullptr, GetCurrentThreadId());
}

TextRecorder::~TextRecorder()
{
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    current_ = nullptr;
}

LRESULT CALLBACK TextRecorder::hookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && current_ != nullptr && call->message == WM_SETTEXT &&
        GetDlgCtrlID(call->hwnd) == current_->controlId_ && call->lParam != 0) {
        current_->texts_.push_back(reinterpret_cast<const char*>(call->lParam));
        current_->times_.push_back(GetTickCount());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void initCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

}  // namespace test
}  // namespace kestrune
