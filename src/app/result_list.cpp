// The result list: set-up, rows, counters.
#include "app/result_list.h"

#include "ui/owner_data_check_list.h"

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

Counter counterOf(ItemKind kind)
{
    switch (kind) {
    case ItemKind::RegistryKey:
    case ItemKind::RegistryValue:
        return Counter::Registry;
    case ItemKind::Cookie:
        return Counter::Cookies;
    case ItemKind::File:
        return Counter::Files;
    case ItemKind::Folder:
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
    const int row = view_.appendRow(parasite.name, kRowTextColour, kRowBackColour, true);
    view_.setCell(row, 1, find.location, kRowTextColour, kRowBackColour);
    view_.setCell(row, 2, typeWord(find.kind), kRowTextColour, kRowBackColour);
    view_.setCell(row, 3, dangerName(parasite.dangerLevel), kDangerTextColour, kRowBackColour);
    view_.setRowData(row, find.parasiteIndex);
    finds_.push_back(find);
    return row;
}

void ResultList::holdDrawing()
{
    view_.holdRows();
}

void ResultList::releaseDrawing()
{
    view_.releaseRows();
}

std::vector<int> ResultList::selectedRows() const
{
    return view_.selectedRows();
}

void ResultList::removeRows(const std::vector<int>& rows)
{
    const std::vector<int> gone = normalisedRows(rows, rowCount());
    size_t next = 0, kept = 0;
    for (size_t row = 0; row < finds_.size(); ++row) {
        if (next < gone.size() && gone[next] == static_cast<int>(row)) {
            ++next;
            continue;
        }
        if (kept != row)
            finds_[kept] = std::move(finds_[row]);
        ++kept;
    }
    finds_.resize(kept);
    view_.removeRows(gone);
}

const Find* ResultList::rowFind(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return &finds_[row];
}

bool ResultList::rowChecked(int row) const
{
    return view_.isChecked(row);
}

std::vector<Find> ResultList::checkedFinds() const
{
    std::vector<Find> result;
    result.reserve(finds_.size() - view_.uncheckedCount());
    for (int row = 0; row < rowCount(); ++row) {
        if (view_.isChecked(row))
            result.push_back(finds_[row]);
    }
    return result;
}

}  // namespace kestrune
