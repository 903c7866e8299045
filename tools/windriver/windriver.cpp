// windriver: drives another program's windows from the outside, as a user
// would, for the end-to-end tests. It finds windows by title and controls by
// id, clicks, reads texts, and answers message boxes by their text.
//
// An ID (of a control, a menu command or a system command) is a decimal
// number or a name of res/resource.h, such as IDC_SCAN or ID_FILE_EXIT.
//
// Usage: windriver COMMAND [ARGS...]     one command
//        windriver -                     commands from standard input, one a line,
//                                        arguments separated by tabs
// Message-box texts given to "answer" and "wait-text" may hold the escapes
// \n, \r, \t and \\; other texts (paths) are taken as they are. Texts printed
// show line feeds, carriage returns and tabs as \n, \r and \t, one result a
// line.
// Exit status: 0 when every command succeeded, 1 when one failed (the rest
// are not run), 2 for a bad command.
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

const DWORD kDefaultTimeoutMs = 15000;
const DWORD kPollMs = 25;

struct ResourceName {
    const char* name;
    int id;
};

// Every name of res/resource.h with its number, generated from that header.
const ResourceName kResourceNames[] = {
#include "resource_names.inc"
};

// The number that `text` stands for: its value when it is all decimal digits,
// else the id of the res/resource.h name it is. False for anything else.
bool parseId(const std::string& text, int& id)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        id = static_cast<int>(std::strtoul(text.c_str(), nullptr, 10));
        return true;
    }
    for (const ResourceName& entry : kResourceNames) {
        if (text == entry.name) {
            id = entry.id;
            return true;
        }
    }
    return false;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}


std::string className(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The window's text: for a static control the text the system keeps (read
// also while the control's thread sleeps); for others asked of the window
// itself when it answers within a second (edit controls keep their own
// text), else the kept text.
std::string windowText(HWND window)
{
    std::vector<char> buffer(65536, '\0');
    if (className(window) == "Static") {
        int n = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
        return std::string(buffer.data(), n > 0 ? n : 0);
    }
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &copied))
        return std::string(buffer.data(), copied);
    int n = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), n > 0 ? n : 0);
}

struct Found {
    std::string title;
    int childId;
    HWND window;
};

struct Descendant {
    int id = 0;
    HWND found = nullptr;
};

BOOL CALLBACK findDescendant(HWND window, LPARAM param)
{
    Descendant& wanted = *reinterpret_cast<Descendant*>(param);
    if (GetDlgCtrlID(window) != wanted.id)
        return TRUE;
    wanted.found = window;
    return FALSE;
}

// The control `id` of `window`: a child, or else any descendant (the
// controls of a page inside a wizard's frame).
HWND controlOf(HWND window, int id)
{
    if (HWND child = GetDlgItem(window, id))
        return child;
    Descendant wanted;
    wanted.id = id;
    EnumChildWindows(window, findDescendant, reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

BOOL CALLBACK findTopLevel(HWND window, LPARAM param)
{
    Found& found = *reinterpret_cast<Found*>(param);
    if (!IsWindowVisible(window))
        return TRUE;
    if (!found.title.empty()) {
        char title[512] = "";
        GetWindowTextA(window, title, sizeof title);
        if (found.title != title)
            return TRUE;
    }
    if (found.childId != 0 && controlOf(window, found.childId) == nullptr)
        return TRUE;
    found.window = window;
    return FALSE;
}

// A visible top-level window titled `title` ("*" for any title) that has a
// child `childId` (0 for any). Null when there is none.
HWND findWindow(const std::string& title, int childId)
{
    Found found = {title == "*" ? std::string() : title, childId, nullptr};
    EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

HWND waitWindow(const std::string& title, int childId, DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = findWindow(title, childId))
            return window;
        if (GetTickCount() - start >= timeout)
            return nullptr;
        Sleep(kPollMs);
    }
}

DWORD timeoutArg(const Args& args, size_t index)
{
    return index < args.size() ? static_cast<DWORD>(std::strtoul(args[index].c_str(), nullptr, 10))
                               : kDefaultTimeoutMs;
}

bool fail(const std::string& message)
{
    std::fprintf(stderr, "windriver: %s\n", message.c_str());
    return false;
}

// The control `id` of the window titled `title`, waiting for the window.
// Null at once when `id` is neither a number nor a known name.
HWND control(const std::string& title, const std::string& id)
{
    int childId = 0;
    if (!parseId(id, childId)) {
        fail("unknown id " + id);
        return nullptr;
    }
    HWND window = waitWindow(title, childId, kDefaultTimeoutMs);
    return window == nullptr ? nullptr : controlOf(window, childId);
}

// --- message boxes ---

struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

BOOL CALLBACK collectStatic(HWND child, LPARAM param)
{
    auto& best = *reinterpret_cast<std::string*>(param);
    if (className(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        return TRUE;
    std::string text = windowText(child);
    if (GetDlgCtrlID(child) == 0xFFFF) {
        best = text;
        return FALSE;
    }
    if (text.size() > best.size())
        best = text;
    return TRUE;
}

BOOL CALLBACK findMessageBox(HWND window, LPARAM param)
{
    auto& info = *reinterpret_cast<MessageBoxInfo*>(param);
    if (!IsWindowVisible(window) || className(window) != "#32770")
        return TRUE;
    bool hasAnswer = false;
    for (int id : {IDOK, IDYES, IDNO, IDCANCEL})
        if (HWND button = GetDlgItem(window, id))
            hasAnswer = hasAnswer || className(button) == "Button";
    if (!hasAnswer || GetDlgItem(window, 0xFFFF) == nullptr)
        return TRUE;
    info.window = window;
    info.caption = windowText(window);
    EnumChildWindows(window, collectStatic, reinterpret_cast<LPARAM>(&info.text));
    return FALSE;
}

MessageBoxInfo waitMessageBox(DWORD timeout)
{
    DWORD start = GetTickCount();
    for (;;) {
        MessageBoxInfo info;
        EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&info));
        if (info.window != nullptr)
            return info;
        if (GetTickCount() - start >= timeout)
            return info;
        Sleep(kPollMs);
    }
}

int buttonId(const std::string& name)
{
    if (name == "OK")
        return IDOK;
    if (name == "YES")
        return IDYES;
    if (name == "NO")
        return IDNO;
    if (name == "CANCEL")
        return IDCANCEL;
    return 0;
}

// --- commands ---

std::string stateText(HWND c)
{
    return std::string("visible=") + (IsWindowVisible(c) ? "1" : "0") +
           " enabled=" + (IsWindowEnabled(c) ? "1" : "0");
}

bool cmdWaitWindow(const Args& a)
{
    if (!waitWindow(a.at(1), 0, timeoutArg(a, 2)))
        return fail("no window titled \"" + a[1] + "\"");
    return true;
}

bool cmdWaitGone(const Args& a)
{
    DWORD timeout = timeoutArg(a, 2), start = GetTickCount();
    while (findWindow(a.at(1), 0) != nullptr) {
        if (GetTickCount() - start >= timeout)
            return fail("window \"" + a[1] + "\" is still there");
        Sleep(kPollMs);
    }
    return true;
}

bool cmdAbsent(const Args& a)
{
    if (findWindow(a.at(1), 0) != nullptr)
        return fail("window \"" + a[1] + "\" exists");
    return true;
}

bool cmdText(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr)
        return fail("no control " + a[2] + " in \"" + a[1] + "\"");
    std::cout << escape(windowText(c)) << std::endl;
    return true;
}

bool cmdState(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr)
        return fail("no control " + a[2] + " in \"" + a[1] + "\"");
    std::cout << stateText(c) << std::endl;
    return true;
}

// Waits until control ID shows STATE ("visible=1 enabled=1"); prints the
// milliseconds it took.
bool cmdWaitState(const Args& a)
{
    DWORD timeout = timeoutArg(a, 4), start = GetTickCount();
    for (;;) {
        HWND c = control(a.at(1), a.at(2));
        if (c != nullptr && stateText(c) == a.at(3)) {
            std::cout << (GetTickCount() - start) << std::endl;
            return true;
        }
        if (GetTickCount() - start >= timeout)
            return fail("control " + a[2] + " is not " + a[3] +
                        (c != nullptr ? " but " + stateText(c) : std::string()));
        Sleep(kPollMs);
    }
}

bool cmdChecked(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr)
        return fail("no control " + a[2]);
    std::cout << (SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0) << std::endl;
    return true;
}

// Clicks a button the way the user's click arrives: only a visible, enabled
// button can be clicked; its parent gets BN_CLICKED.
bool cmdClick(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr)
        return fail("no control " + a[2] + " in \"" + a[1] + "\"");
    if (!IsWindowVisible(c) || !IsWindowEnabled(c))
        return fail("control " + a[2] + " cannot be clicked (hidden or disabled)");
    LONG style = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX) {
        SendMessageA(c, BM_CLICK, 0, 0);
        return true;
    }
    PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED),
                 reinterpret_cast<LPARAM>(c));
    return true;
}

bool cmdSetText(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr)
        return fail("no control " + a[2]);
    const std::string& text = a.at(3);   // taken as it is: paths hold backslashes
    SendMessageA(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

// A menu command (menu item or notification-area menu item) sent to the window.
bool cmdMenu(const Args& a)
{
    int command = 0;
    if (!parseId(a.at(2), command))
        return fail("unknown id " + a[2]);
    HWND w = waitWindow(a.at(1), 0, kDefaultTimeoutMs);
    if (w == nullptr)
        return fail("no window titled \"" + a[1] + "\"");
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return true;
}

bool cmdSysCommand(const Args& a)
{
    int command = 0;
    if (!parseId(a.at(2), command))
        return fail("unknown id " + a[2]);
    HWND w = waitWindow(a.at(1), 0, kDefaultTimeoutMs);
    if (w == nullptr)
        return fail("no window titled \"" + a[1] + "\"");
    PostMessageA(w, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    return true;
}

// Prints the caption and the text of the first message box that appears.
bool cmdBox(const Args& a)
{
    MessageBoxInfo info = waitMessageBox(timeoutArg(a, 1));
    if (info.window == nullptr)
        return fail("no message box");
    std::cout << escape(info.caption) << "\t" << escape(info.text) << std::endl;
    return true;
}

// Waits for a message box, checks that its text is exactly TEXT, presses
// BUTTON, and prints the box's caption.
bool cmdAnswer(const Args& a)
{
    std::string wanted = unescape(a.at(1));
    int button = buttonId(a.at(2));
    if (button == 0)
        return fail("unknown button " + a[2]);
    MessageBoxInfo info = waitMessageBox(timeoutArg(a, 3));
    if (info.window == nullptr)
        return fail("no message box with \"" + a[1] + "\"");
    if (info.text != wanted)
        return fail("message box says \"" + escape(info.text) + "\", not \"" + a[1] + "\"");
    if (GetDlgItem(info.window, button) == nullptr)
        return fail("the message box has no button " + a[2]);
    std::cout << escape(info.caption) << std::endl;
    PostMessageA(info.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(info.window, button)));
    // Wait until it has gone, so that the next command sees the next box.
    DWORD start = GetTickCount();
    while (IsWindow(info.window) && IsWindowVisible(info.window) && GetTickCount() - start < 5000)
        Sleep(kPollMs);
    return true;
}

// Follows the text of control ID in whichever top-level window has it, and
// prints each new text with the milliseconds since the command began, until
// that window has gone (then "(gone)" is printed) or TIMEOUT passed.
bool cmdWatchText(const Args& a)
{
    int id = 0;
    if (!parseId(a.at(1), id))
        return fail("unknown id " + a[1]);
    DWORD timeout = timeoutArg(a, 2), start = GetTickCount();
    std::string last;
    bool seen = false;
    while (GetTickCount() - start < timeout) {
        HWND w = findWindow("*", id);
        if (w == nullptr) {
            if (seen) {
                std::cout << (GetTickCount() - start) << "\t(gone)" << std::endl;
                return true;
            }
        } else {
            HWND c = GetDlgItem(w, id);
            char text[1024] = "";
            GetWindowTextA(c, text, sizeof text);   // the kept text: no wait on a sleeping thread
            if (!seen || last != text) {
                seen = true;
                last = text;
                std::cout << (GetTickCount() - start) << "\t" << escape(last) << std::endl;
            }
        }
        Sleep(10);
    }
    return seen ? true : fail("control " + a[1] + " never appeared");
}

bool cmdWaitText(const Args& a)
{
    std::string wanted = unescape(a.at(3));
    DWORD timeout = timeoutArg(a, 4), start = GetTickCount();
    for (;;) {
        HWND c = control(a.at(1), a.at(2));
        if (c != nullptr && windowText(c) == wanted)
            return true;
        if (GetTickCount() - start >= timeout)
            return fail("control " + a[2] + " does not show \"" + a[3] + "\"");
        Sleep(kPollMs);
    }
}

// The rows of the list view `id`, one a line: the check-box state (0 or 1)
// and the text of each column, separated by tabs. The texts are read through
// a buffer in the list's own process, as a list view answers with pointers.
bool cmdRows(const Args& a)
{
    HWND list = control(a.at(1), a.at(2));
    if (list == nullptr)
        return fail("no list " + a[2]);
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 processId);
    if (process == nullptr)
        return fail("cannot open the list's process");
    const SIZE_T textSize = 4096;
    char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textSize,
                                                     MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) {
        CloseHandle(process);
        return fail("cannot reserve memory in the list's process");
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    bool ok = true;
    for (int row = 0; row < rows && ok; ++row) {
        UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        std::string line = ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? "1" : "0";
        for (int column = 0; column < columns && ok; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remote + sizeof(LVITEMA);
            item.cchTextMax = static_cast<int>(textSize);
            std::vector<char> text(textSize, '\0');
            SIZE_T moved = 0;
            ok = WriteProcessMemory(process, remote, &item, sizeof item, &moved) &&
                 WriteProcessMemory(process, remote + sizeof(LVITEMA), text.data(), 1, &moved);
            if (!ok)
                break;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
            ok = ReadProcessMemory(process, remote + sizeof(LVITEMA), text.data(), textSize - 1,
                                   &moved);
            line += "\t" + escape(text.data());
        }
        if (ok)
            std::cout << line << std::endl;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok ? true : fail("cannot read the list's rows");
}

// Memory in the process of another program's window, for the list-view
// messages that carry pointers.
class RemoteMemory {
public:
    RemoteMemory(HWND window, SIZE_T size)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_ != nullptr)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteMemory()
    {
        if (address_ != nullptr)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool valid() const { return address_ != nullptr; }
    LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
    bool write(const void* data, SIZE_T size)
    {
        SIZE_T moved = 0;
        return WriteProcessMemory(process_, address_, data, size, &moved) && moved == size;
    }
    bool read(void* data, SIZE_T size)
    {
        SIZE_T moved = 0;
        return ReadProcessMemory(process_, address_, data, size, &moved) && moved == size;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

// The list view a[2] of window a[1] and its row a[3]; false (after saying
// why) when either is missing.
bool listRow(const Args& a, HWND& list, int& row)
{
    list = control(a.at(1), a.at(2));
    if (list == nullptr)
        return fail("no list " + a[2]);
    row = std::atoi(a.at(3).c_str());
    if (row < 0 || row >= static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)))
        return fail("no row " + a[3]);
    return true;
}

bool rowChecked(HWND list, int row)
{
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

// A point on the check box of `row`, brought into view; false when the row
// shows none.
bool checkBoxPoint(HWND list, int row, POINT& point)
{
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    RemoteMemory remote(list, sizeof(LVHITTESTINFO));
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    if (!remote.valid() || !remote.write(&bounds, sizeof bounds) ||
        !SendMessageA(list, LVM_GETITEMRECT, row, remote.address()) ||
        !remote.read(&bounds, sizeof bounds))
        return false;
    LVHITTESTINFO hit = {};
    hit.pt.y = (bounds.top + bounds.bottom) / 2;
    for (hit.pt.x = bounds.left; hit.pt.x < bounds.left + 48; ++hit.pt.x) {
        LVHITTESTINFO answer = hit;
        if (!remote.write(&answer, sizeof answer))
            return false;
        SendMessageA(list, LVM_HITTEST, 0, remote.address());
        if (remote.read(&answer, sizeof answer) && answer.iItem == row &&
            (answer.flags & LVHT_ONITEMSTATEICON) != 0) {
            point = hit.pt;
            return true;
        }
    }
    return false;
}

// Checks (1) or unchecks (0) row ROW of list view ID with a click on its
// check box, as the user would, and waits until the row shows it. A click is
// what every check-box list understands: one whose check marks live in its
// owner (LVS_OWNERDATA) ignores LVM_SETITEMSTATE for them.
bool cmdCheckRow(const Args& a)
{
    HWND list = nullptr;
    int row = 0;
    if (!listRow(a, list, row))
        return false;
    const bool wanted = a.at(4) == "1";
    if (rowChecked(list, row) == wanted)
        return true;
    POINT point = {};
    if (!checkBoxPoint(list, row, point))
        return fail("row " + a[3] + " shows no check box");
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    for (DWORD start = GetTickCount(); GetTickCount() - start < kDefaultTimeoutMs; Sleep(kPollMs)) {
        if (rowChecked(list, row) == wanted)
            return true;
    }
    return fail("row " + a[3] + " did not change its check box");
}

// Selects row ROW of list view ID (and gives it the focus), as a click on it
// would: the list tells its parent of the change.
bool cmdSelectRow(const Args& a)
{
    HWND list = nullptr;
    int row = 0;
    if (!listRow(a, list, row))
        return false;
    // As a click does, the row becomes the only one selected; "add" keeps the
    // others, as a Ctrl+click does.
    const bool add = a.size() > 4 && a[4] == "add";
    RemoteMemory remote(list, sizeof(LVITEMA));
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    if (!add && (!remote.valid() || !remote.write(&item, sizeof item) ||
                 !SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), remote.address())))
        return fail("cannot clear the selection");
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!remote.valid() || !remote.write(&item, sizeof item) ||
        !SendMessageA(list, LVM_SETITEMSTATE, row, remote.address()))
        return fail("cannot select row " + a[3]);
    return true;
}

BOOL CALLBACK findPopupMenu(HWND window, LPARAM param)
{
    if (!IsWindowVisible(window) || className(window) != "#32768")
        return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// The popup menu that is up (class "#32768"), waiting up to `timeout` for it.
HWND waitPopupMenu(DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND menu = nullptr;
        EnumWindows(findPopupMenu, reinterpret_cast<LPARAM>(&menu));
        if (menu != nullptr || GetTickCount() - start >= timeout)
            return menu;
        Sleep(50);
    }
}

// Opens the context menu of control ID (a.at(1), a.at(2)) as the menu key
// does: WM_CONTEXTMENU at -1, -1 to the control's parent. Returns the menu,
// or nullptr (reported) when none comes up.
HWND openContextMenu(const Args& a)
{
    HWND c = control(a.at(1), a.at(2));
    if (c == nullptr) {
        fail("no control " + a[2]);
        return nullptr;
    }
    PostMessageA(GetParent(c), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c), MAKELPARAM(-1, -1));
    HWND menu = waitPopupMenu(kDefaultTimeoutMs);
    if (menu == nullptr)
        fail("no context menu came up");
    return menu;
}

// Opens the context menu and leaves it up (for a screenshot); close-menu
// closes it.
bool cmdOpenContextMenu(const Args& a)
{
    return openContextMenu(a) != nullptr;
}

// Closes the popup menu that is up with Esc, as a user would.
bool cmdCloseMenu(const Args&)
{
    HWND menu = waitPopupMenu(0);
    if (menu == nullptr)
        return fail("no menu is up");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    for (int i = 0; i < 20; ++i) {
        Sleep(50);
        if (!IsWindow(menu) || !IsWindowVisible(menu))
            return true;
    }
    return fail("the menu did not close");
}

// Opens the context menu of control ID and chooses an item by its underlined
// letter KEY, as a user would; a disabled item closes the menu without its
// command, so the test checks the command's effect. Fails when no menu comes
// up, or when it is still up a second later (closed with Esc then).
bool cmdContextMenu(const Args& a)
{
    if (a.at(3).size() != 1)
        return fail("KEY is one letter, not \"" + a[3] + "\"");
    HWND menu = openContextMenu(a);
    if (menu == nullptr)
        return false;
    PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(a[3][0])), 1);
    for (int i = 0; i < 20; ++i) {
        Sleep(50);
        if (!IsWindow(menu) || !IsWindowVisible(menu))
            return true;
    }
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    return fail("the context menu took no item '" + a[3] + "'");
}

BOOL CALLBACK listWindow(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    std::cout << className(window) << "\t" << escape(title) << std::endl;
    return TRUE;
}

bool cmdList(const Args&)
{
    EnumWindows(listWindow, 0);
    return true;
}

bool cmdSleep(const Args& a)
{
    Sleep(timeoutArg(a, 1));
    return true;
}

struct Command {
    const char* name;
    size_t minArgs;
    bool (*run)(const Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"wait-window", 1, cmdWaitWindow, "wait-window TITLE [TIMEOUT_MS]"},
    {"wait-gone", 1, cmdWaitGone, "wait-gone TITLE [TIMEOUT_MS]"},
    {"absent", 1, cmdAbsent, "absent TITLE"},
    {"text", 2, cmdText, "text TITLE ID"},
    {"wait-text", 3, cmdWaitText, "wait-text TITLE ID TEXT [TIMEOUT_MS]"},
    {"state", 2, cmdState, "state TITLE ID            prints visible=0|1 enabled=0|1"},
    {"wait-state", 3, cmdWaitState, "wait-state TITLE ID STATE [TIMEOUT_MS]   prints the ms waited"},
    {"checked", 2, cmdChecked, "checked TITLE ID          prints 0 or 1"},
    {"click", 2, cmdClick, "click TITLE ID"},
    {"set-text", 3, cmdSetText, "set-text TITLE ID TEXT"},
    {"menu", 2, cmdMenu, "menu TITLE COMMAND_ID"},
    {"syscommand", 2, cmdSysCommand, "syscommand TITLE ID"},
    {"box", 0, cmdBox, "box [TIMEOUT_MS]          prints CAPTION<tab>TEXT"},
    {"answer", 2, cmdAnswer, "answer TEXT OK|YES|NO|CANCEL [TIMEOUT_MS]   prints the caption"},
    {"watch-text", 1, cmdWatchText, "watch-text ID [TIMEOUT_MS]   prints MS<tab>TEXT per change"},
    {"rows", 2, cmdRows, "rows TITLE ID              prints CHECKED<tab>TEXT<tab>... per row"},
    {"check-row", 4, cmdCheckRow, "check-row TITLE ID ROW 0|1"},
    {"select-row", 3, cmdSelectRow, "select-row TITLE ID ROW [add]   add: keep the other rows selected"},
    {"context-menu", 3, cmdContextMenu, "context-menu TITLE ID KEY   chooses the item underlined KEY"},
    {"open-context-menu", 2, cmdOpenContextMenu, "open-context-menu TITLE ID   leaves it up"},
    {"close-menu", 0, cmdCloseMenu, "close-menu                closes the menu that is up (Esc)"},
    {"list", 0, cmdList, "list"},
    {"sleep", 1, cmdSleep, "sleep MS"},
};

int run(const Args& args)
{
    for (const Command& command : kCommands) {
        if (args[0] != command.name)
            continue;
        if (args.size() < command.minArgs + 1) {
            std::fprintf(stderr, "usage: windriver %s\n", command.usage);
            return 2;
        }
        return command.run(args) ? 0 : 1;
    }
    std::fprintf(stderr, "windriver: unknown command %s; commands:\n", args[0].c_str());
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  %s\n", command.usage);
    return 2;
}

Args splitTabs(const std::string& line)
{
    Args out;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return out;
        start = tab + 1;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        Args none = {"help"};
        return run(none);
    }
    if (std::string(argv[1]) != "-")
        return run(Args(argv + 1, argv + argc));
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        int rc = run(splitTabs(line));
        std::cout.flush();
        if (rc != 0)
            return rc;
    }
    return 0;
}
