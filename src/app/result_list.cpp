// The result list: set-up, rows, counters.
#include "app/result_list.h"

#include "ui/check_list_view.h"

#include "resource.h"

#include <commctrl.h>

namespace kestrune {

namespace {

const int kHeaderImageWidth = 16;
const int kHeaderImageGrow = 3;
const COLORREF kHeaderTransparent = RGB(255, 0, 255);

struct Column {
    const char* header;
    int share;   // of 64; 0 for the last column, which takes the rest
};
const Column kColumns[] = {
    {"Parasite", 15},
    {"Location", 25},
    {"Type", 10},
    {"Danger", 0},
};

}  // namespace

Counter counterOf(FindKind kind)
{
    switch (kind) {
    case FindKind::RegistryKey:
    case FindKind::RegistryValue:
        return Counter::Registry;
    case FindKind::Cookie:
        return Counter::Cookies;
    case FindKind::File:
        return Counter::Files;
    case FindKind::Folder:
        return Counter::None;
    }
    return Counter::None;
}

int resultColumnWidth(int windowWidth, int column)
{
    const int usable = windowWidth - 2;
    if (column < 3)
        return usable * kColumns[column].share / 64;
    return usable - resultColumnWidth(windowWidth, 0) - resultColumnWidth(windowWidth, 1) -
           resultColumnWidth(windowWidth, 2) - 2;
}

void ResultList::setUp(HINSTANCE instance, HFONT font)
{
    HWND list = view_.hwnd();
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    view_.addExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT | LVS_EX_INFOTIP);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(list, LVM_SETBKCOLOR, 0, kRowBackColour);
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kRowBackColour);

    RECT rect = {};
    GetWindowRect(list, &rect);
    const int width = rect.right - rect.left;
    for (int c = 0; c < 4; ++c)
        view_.insertColumn(c, kColumns[c].header, resultColumnWidth(width, c));

    view_.setHeaderImages(instance, IDB_HEADER_IMAGES, kHeaderImageWidth, kHeaderImageGrow,
                          kHeaderTransparent);
    for (int c = 0; c < 4; ++c)
        view_.setHeaderImage(c, c == 0 ? kHeaderImageNotAllChecked : 0);
    // The image flag must not change the columns' alignment.
    for (int c = 0; c < 4; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        SendMessageA(list, LVM_SETCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
}

void ResultList::clear()
{
    view_.deleteAllRows();
    finds_.clear();
}

int ResultList::addRow(const Parasite& parasite, const Find& find)
{
    HWND list = view_.hwnd();
    LockWindowUpdate(list);
    const int row = view_.insertRow(rowCount(), parasite.name, kRowTextColour, kRowBackColour);
    if (row >= 0) {
        view_.setChecked(row, true);
        view_.setCell(row, 2, typeWord(find.kind), kRowTextColour, kRowBackColour);
        view_.setCell(row, 1, find.location, kRowTextColour, kRowBackColour);
        view_.setCell(row, 3, dangerName(parasite.dangerLevel), kDangerTextColour, kRowBackColour);
        view_.setRowData(row, find.parasiteIndex);
    }
    LockWindowUpdate(nullptr);
    if (row < 0)
        return -1;
    finds_.push_back(find);
    return row;
}

void ResultList::holdDrawing()
{
    if (held_)
        return;
    SendMessageA(view_.hwnd(), WM_SETREDRAW, FALSE, 0);
    held_ = true;
}

void ResultList::releaseDrawing()
{
    if (!held_)
        return;
    held_ = false;
    SendMessageA(view_.hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view_.hwnd(), nullptr, TRUE);
}

const Find* ResultList::rowFind(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return &finds_[row];
}

bool ResultList::rowChecked(int row) const
{
    return row >= 0 && row < rowCount() && view_.isChecked(row);
}

std::vector<Find> ResultList::checkedFinds() const
{
    std::vector<Find> result;
    for (int row = 0; row < rowCount(); ++row) {
        if (view_.isChecked(row))
            result.push_back(finds_[row]);
    }
    return result;
}

std::vector<int> ResultList::selectedRows() const
{
    std::vector<int> rows;
    for (int row = -1;;) {
        row = static_cast<int>(
            SendMessageA(view_.hwnd(), LVM_GETNEXTITEM, row, MAKELPARAM(LVNI_SELECTED, 0)));
        if (row < 0 || row >= rowCount())
            break;
        rows.push_back(row);
    }
    return rows;
}

void ResultList::removeRows(const std::vector<int>& rows)
{
    // From the last, so that the rows still to go keep their numbers.
    for (auto at = rows.rbegin(); at != rows.rend(); ++at) {
        if (*at < 0 || *at >= rowCount())
            continue;
        view_.deleteRow(*at);
        finds_.erase(finds_.begin() + *at);
    }
}

}  // namespace kestrune
