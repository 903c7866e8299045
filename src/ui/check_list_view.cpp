// CheckListView: rows, cell colours, check boxes and the header check image.
#include "ui/check_list_view.h"

namespace kestrune {

namespace {

bool checkStateChanged(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) != 0 &&
           ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0;
}

}  // namespace

bool CheckListView::attach(HWND list)
{
    list_ = list;
    if (list_ == nullptr)
        return false;
    addExtendedStyle(LVS_EX_CHECKBOXES);
    return true;
}

int CheckListView::rowCount() const
{
    return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

int CheckListView::insertRow(int row, const std::string& text, COLORREF textColour,
                             COLORREF backColour)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = 0;
    settingChecks_ = true;
    int index = static_cast<int>(
        SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    settingChecks_ = false;
    if (index < 0)
        return -1;
    int columns = static_cast<int>(SendMessageA(ListView_GetHeader(list_), HDM_GETITEMCOUNT, 0, 0));
    std::vector<CellColours> cells(columns > 0 ? columns : 1, CellColours{kDefaultText, kDefaultBack});
    cells[0] = CellColours{textColour, backColour};
    if (index > static_cast<int>(colours_.size()))
        colours_.resize(index);
    colours_.insert(colours_.begin() + index, cells);
    setChecked(index, false);
    return index;
}

bool CheckListView::setCell(int row, int column, const std::string& text, COLORREF textColour,
                            COLORREF backColour)
{
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    if (!SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)))
        return false;
    if (CellColours* cell = colours(row, column))
        *cell = CellColours{textColour, backColour};
    return true;
}

std::string CheckListView::cellText(int row, int column) const
{
    std::vector<char> buffer(1024);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    int length = static_cast<int>(
        SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    return std::string(buffer.data(), length > 0 ? length : 0);
}

bool CheckListView::cellColours(int row, int column, CellColours& colours) const
{
    if (row < 0 || row >= static_cast<int>(colours_.size()) || column < 0 ||
        column >= static_cast<int>(colours_[row].size()))
        return false;
    colours = colours_[row][column];
    return true;
}

CheckListView::CellColours* CheckListView::colours(int row, int column)
{
    if (row < 0 || row >= static_cast<int>(colours_.size()) || column < 0)
        return nullptr;
    std::vector<CellColours>& cells = colours_[row];
    if (column >= static_cast<int>(cells.size()))
        cells.resize(column + 1, CellColours{kDefaultText, kDefaultBack});
    return &cells[column];
}

void CheckListView::setChecked(int row, bool checked)
{
    settingChecks_ = true;
    ListView_SetCheckState(list_, row, checked ? TRUE : FALSE);
    settingChecks_ = false;
    updateHeaderCheckImage();
}

bool CheckListView::isChecked(int row) const
{
    return ListView_GetCheckState(list_, row) != 0;
}

void CheckListView::setAllChecked(bool checked)
{
    settingChecks_ = true;
    for (int row = 0, n = rowCount(); row < n; ++row)
        ListView_SetCheckState(list_, row, checked ? TRUE : FALSE);
    settingChecks_ = false;
    updateHeaderCheckImage();
}

bool CheckListView::allChecked() const
{
    int n = rowCount();
    if (n == 0)
        return false;
    for (int row = 0; row < n; ++row)
        if (!isChecked(row))
            return false;
    return true;
}

void CheckListView::setRowData(int row, LPARAM data)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

LPARAM CheckListView::rowData(int row) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

void CheckListView::deleteAllRows()
{
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    colours_.clear();
    updateHeaderCheckImage();
}

void CheckListView::onItemChanged(const NMLISTVIEW& change)
{
    if (!checkStateChanged(change) || settingChecks_)
        return;
    updateHeaderCheckImage();
    // Check-state images are 1 (unchecked) and 2 (checked); a change from the
    // "no image" state 0 is the list setting up a new row, not a user's click.
    if ((change.uOldState & LVIS_STATEIMAGEMASK) != 0)
        PostMessageA(GetParent(list_), WM_XLISTCTRL_CHECKBOX_CLICKED, change.iItem,
                     GetDlgCtrlID(list_));
}

void CheckListView::updateHeaderCheckImage()
{
    if (headerImages_.valid())
        showHeaderCheckImage(allChecked());
}

}  // namespace kestrune
