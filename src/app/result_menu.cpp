// The result list's context menu and its commands.
#include "app/result_menu.h"

#include "platform/shell.h"
#include "settings/ignore_list.h"

#include "resource.h"

#include <commctrl.h>

#include <cstring>

namespace kestrune {

namespace {

// The menu of one resource, destroyed with this object.
class LoadedMenu {
public:
    explicit LoadedMenu(int id) : menu_(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))) {}
    ~LoadedMenu()
    {
        if (menu_ != nullptr)
            DestroyMenu(menu_);
    }
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

bool copyToClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    bool placed = false;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (memory != nullptr) {
        if (void* bytes = GlobalLock(memory)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            placed = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!placed)
            GlobalFree(memory);   // the clipboard owns it only once placed
    }
    CloseClipboard();
    return placed;
}

}  // namespace

std::string locationsText(const std::vector<std::string>& locations)
{
    std::string text;
    for (size_t i = 0; i < locations.size(); ++i)
        text += (i > 0 ? "\r\n" : "") + locations[i];
    return text;
}

std::vector<int> ResultMenu::selectedRows() const
{
    return scan_.results().selectedRows();
}

bool ResultMenu::selectedPath(std::string& path) const
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return false;
    const Find* find = scan_.results().rowFind(rows.front());
    if (find == nullptr || (find->kind != ItemKind::File && find->kind != ItemKind::Folder))
        return false;
    path = find->location;
    return true;
}

void ResultMenu::show(HWND window, HWND list, LPARAM position, bool mayIgnore)
{
    LoadedMenu menu(IDR_RESULT_MENU);
    HMENU popup = GetSubMenu(menu.get(), 0);
    if (popup == nullptr)
        return;
    const bool anySelected = !selectedRows().empty();
    std::string path;
    const auto enable = [&](int id, bool on) {
        EnableMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(ID_RESULT_IGNORE, mayIgnore && anySelected);
    enable(ID_RESULT_OPEN_FOLDER, selectedPath(path));
    enable(ID_RESULT_COPY_LOCATION, anySelected);

    POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (at.x == -1 && at.y == -1) {
        RECT rect = {};
        const int row = anySelected ? selectedRows().front() : -1;
        rect.left = LVIR_LABEL;
        if (row < 0 || !SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)))
            SetRect(&rect, 0, 0, 0, 0);
        at.x = rect.left;
        at.y = rect.bottom;
        ClientToScreen(list, &at);
    }
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
}

bool ResultMenu::onCommand(HWND window, int id, bool mayIgnore)
{
    switch (id) {
    case ID_RESULT_IGNORE:
        if (!mayIgnore || ignoreSelectedRows() == 0)
            MessageBeep(MB_ICONEXCLAMATION);
        return true;
    case ID_RESULT_OPEN_FOLDER: {
        std::string path;
        if (!selectedPath(path) || !launchProgram("explorer.exe", "/select,\"" + path + "\""))
            MessageBeep(MB_ICONEXCLAMATION);
        return true;
    }
    case ID_RESULT_COPY_LOCATION: {
        std::vector<std::string> locations;
        for (int row : selectedRows()) {
            if (const Find* find = scan_.results().rowFind(row))
                locations.push_back(find->location);
        }
        if (locations.empty() || !copyToClipboard(window, locationsText(locations)))
            MessageBeep(MB_ICONEXCLAMATION);
        return true;
    }
    }
    return false;
}

int ResultMenu::ignoreSelectedRows()
{
    ParasiteList& parasites = scan_.parasites();
    std::vector<int> gone;
    for (int row : selectedRows()) {
        const Find* find = scan_.results().rowFind(row);
        if (find == nullptr)
            continue;
        IgnoreEntry entry;
        entry.kind = find->kind;
        entry.location = find->location;
        if (const Parasite* parasite = parasites.at(find->parasiteIndex))
            entry.parasite = parasite->name;
        if (addIgnoreEntry(entry) != IgnoreAdd::Failed)
            gone.push_back(row);
    }
    if (!gone.empty())
        scan_.removeRows(gone);
    return static_cast<int>(gone.size());
}

}  // namespace kestrune
