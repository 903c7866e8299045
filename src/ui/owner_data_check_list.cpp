// OwnerDataCheckList: rows, check flags and the notifications that show them.
#include "ui/owner_data_check_list.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

namespace {

const int kUncheckedImage = 1;
const int kCheckedImage = 2;

}  // namespace

std::vector<int> normalisedRows(std::vector<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [count](int row) { return row < 0 || row >= count; }),
               rows.end());
    return rows;
}

bool OwnerDataCheckList::attach(HWND list)
{
    if (list == nullptr || (GetWindowLongA(list, GWL_STYLE) & LVS_OWNERDATA) == 0)
        return false;
    list_ = list;
    addExtendedStyle(LVS_EX_CHECKBOXES);
    // The control asks for the check image of every row it draws or is asked
    // about (LVM_GETITEMSTATE), so the flags here are the only ones.
    SendMessageA(list_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    return true;
}

int OwnerDataCheckList::appendRow(const std::string& text, COLORREF textColour,
                                  COLORREF backColour, bool checked)
{
    const bool allBefore = allChecked();
    Row row;
    row.cells.push_back(Cell{text, textColour, backColour});
    row.checked = checked;
    rows_.push_back(std::move(row));
    if (!checked)
        ++unchecked_;
    if (!held_)
        showRowCount();
    afterCheckChange(allBefore);
    return rowCount() - 1;
}

bool OwnerDataCheckList::setCell(int row, int column, const std::string& text,
                                 COLORREF textColour, COLORREF backColour)
{
    if (row < 0 || row >= rowCount() || column < 0)
        return false;
    std::vector<Cell>& cells = rows_[row].cells;
    if (column >= static_cast<int>(cells.size()))
        cells.resize(column + 1, Cell{std::string(), kDefaultText, kDefaultBack});
    cells[column] = Cell{text, textColour, backColour};
    redrawRow(row);
    return true;
}

const OwnerDataCheckList::Cell* OwnerDataCheckList::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 ||
        column >= static_cast<int>(rows_[row].cells.size()))
        return nullptr;
    return &rows_[row].cells[column];
}

std::string OwnerDataCheckList::cellText(int row, int column) const
{
    const Cell* c = cell(row, column);
    return c != nullptr ? c->text : std::string();
}

bool OwnerDataCheckList::cellColours(int row, int column, CellColours& colours) const
{
    const Cell* c = cell(row, column);
    if (c == nullptr)
        return false;
    colours = CellColours{c->textColour, c->backColour};
    return true;
}

void OwnerDataCheckList::setChecked(int row, bool checked)
{
    if (row < 0 || row >= rowCount() || rows_[row].checked == checked)
        return;
    const bool allBefore = allChecked();
    rows_[row].checked = checked;
    unchecked_ += checked ? -1 : 1;
    redrawRow(row);
    afterCheckChange(allBefore);
}

bool OwnerDataCheckList::isChecked(int row) const
{
    return row >= 0 && row < rowCount() && rows_[row].checked;
}

void OwnerDataCheckList::setAllChecked(bool checked)
{
    const bool allBefore = allChecked();
    for (Row& row : rows_)
        row.checked = checked;
    unchecked_ = checked ? 0 : rowCount();
    InvalidateRect(list_, nullptr, FALSE);
    afterCheckChange(allBefore);
}

void OwnerDataCheckList::setRowData(int row, LPARAM data)
{
    if (row >= 0 && row < rowCount())
        rows_[row].data = data;
}

LPARAM OwnerDataCheckList::rowData(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[row].data : 0;
}

void OwnerDataCheckList::deleteAllRows()
{
    const bool allBefore = allChecked();
    rows_.clear();
    unchecked_ = 0;
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    shown_ = 0;
    afterCheckChange(allBefore);
}

void OwnerDataCheckList::removeRows(const std::vector<int>& rows)
{
    const std::vector<int> gone = normalisedRows(rows, rowCount());
    if (gone.empty())
        return;
    const bool allBefore = allChecked();
    // Selected indices would name other rows afterwards.
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    size_t next = 0, kept = 0;
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (next < gone.size() && gone[next] == static_cast<int>(row)) {
            ++next;
            if (!rows_[row].checked)
                --unchecked_;
            continue;
        }
        if (kept != row)
            rows_[kept] = std::move(rows_[row]);
        ++kept;
    }
    rows_.resize(kept);
    showRowCount();
    InvalidateRect(list_, nullptr, FALSE);
    afterCheckChange(allBefore);
}

std::vector<int> OwnerDataCheckList::selectedRows() const
{
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
        if (!rows.empty() && row <= rows.back())
            break;
        if (row < rowCount())
            rows.push_back(row);
    }
    return rows;
}

void OwnerDataCheckList::holdRows()
{
    held_ = true;
}

void OwnerDataCheckList::releaseRows()
{
    held_ = false;
    if (shown_ != rowCount())
        showRowCount();
}

void OwnerDataCheckList::showRowCount()
{
    // Only the rows that come into view are drawn; the others are not looked
    // at, and the scroll position stays.
    SendMessageA(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    shown_ = rowCount();
}

void OwnerDataCheckList::redrawRow(int row)
{
    if (row < shown_)
        SendMessageA(list_, LVM_REDRAWITEMS, row, row);
}

void OwnerDataCheckList::afterCheckChange(bool allCheckedBefore)
{
    if (allChecked() != allCheckedBefore)
        showHeaderCheckImage(allChecked());
}

void OwnerDataCheckList::toggle(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    setChecked(row, !rows_[row].checked);
    PostMessageA(GetParent(list_), WM_XLISTCTRL_CHECKBOX_CLICKED, row, GetDlgCtrlID(list_));
}

bool OwnerDataCheckList::onNotify(NMHDR& header, LRESULT& answer)
{
    answer = 0;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        answer = onCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
    case LVN_GETDISPINFOA:
        onGetDispInfo(reinterpret_cast<NMLVDISPINFOA&>(header));
        return true;
    case LVN_ODFINDITEMA: {
        // The same record in both forms but for the text.
        const NMLVFINDITEMA& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        answer = findRow(find.lvfi.flags,
                         find.lvfi.psz != nullptr ? std::optional<std::string>(find.lvfi.psz)
                                                  : std::nullopt,
                         find.iStart);
        return true;
    }
    case LVN_ODFINDITEMW: {
        const NMLVFINDITEMW& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        answer = findRow(find.lvfi.flags, ansiText(find.lvfi.psz), find.iStart);
        return true;
    }
    case NM_CLICK:
        onClick(reinterpret_cast<const NMITEMACTIVATE&>(header));
        return true;
    case LVN_KEYDOWN:
        onKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header));
        return true;
    case LVN_COLUMNCLICK:
        onColumnClick(reinterpret_cast<const NMLISTVIEW&>(header));
        return true;
    }
    return false;
}

void OwnerDataCheckList::onGetDispInfo(NMLVDISPINFOA& info) const
{
    LVITEMA& item = info.item;
    if (item.iItem < 0 || item.iItem >= rowCount())
        return;
    const Row& row = rows_[item.iItem];
    // Copied into the caller's buffer: a list asked by another process
    // (LVM_GETITEMTEXTA) reads it from there.
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const Cell* c = cell(item.iItem, item.iSubItem);
        const size_t length =
            c != nullptr ? std::min(c->text.size(), static_cast<size_t>(item.cchTextMax - 1)) : 0;
        if (length > 0)
            std::memcpy(item.pszText, c->text.data(), length);
        item.pszText[length] = '\0';
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                     INDEXTOSTATEIMAGEMASK(row.checked ? kCheckedImage : kUncheckedImage);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
    if ((item.mask & LVIF_PARAM) != 0)
        item.lParam = row.data;
}

std::optional<std::string> OwnerDataCheckList::ansiText(const wchar_t* text)
{
    if (text == nullptr)
        return std::nullopt;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::nullopt;
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], bytes, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(bytes) - 1);
    return ansi;
}

int OwnerDataCheckList::findRow(UINT flags, const std::optional<std::string>& text,
                                int startRow) const
{
    if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || !text || rows_.empty())
        return -1;
    const int wanted = static_cast<int>(text->size());
    const bool partial = (flags & LVFI_PARTIAL) != 0;
    const int count = rowCount();
    const int start = startRow >= 0 && startRow < count ? startRow : 0;
    for (int i = 0; i < count; ++i) {
        const int row = start + i < count ? start + i : start + i - count;
        if (row < start && (flags & LVFI_WRAP) == 0)
            break;
        const Cell* c = cell(row, 0);
        const int length = c != nullptr ? static_cast<int>(c->text.size()) : 0;
        if (partial ? length < wanted : length != wanted)
            continue;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c != nullptr ? c->text.c_str() : "",
                           wanted, text->c_str(), wanted) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

void OwnerDataCheckList::onClick(const NMITEMACTIVATE& click)
{
    LVHITTESTINFO hit = {};
    hit.pt = click.ptAction;
    SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0)
        toggle(hit.iItem);
}

void OwnerDataCheckList::onKeyDown(const NMLVKEYDOWN& key)
{
    if (key.wVKey != VK_SPACE)
        return;
    int row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0)
        row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    toggle(row);
}

}  // namespace kestrune
