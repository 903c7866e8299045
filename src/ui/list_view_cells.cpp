// Columns and cell texts of plain report-view list controls.
#include "ui/list_view_cells.h"

#include <commctrl.h>

namespace kestrune {

void addListColumn(HWND list, int column, const char* text, int width)
{
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(text);
    col.cx = width;
    ListView_InsertColumn(list, column, &col);
}

void setListCell(HWND list, int row, int column, const std::string& text)
{
    std::string copy = text;   // the control takes a writable pointer
    ListView_SetItemText(list, row, column, &copy[0]);
}

}  // namespace kestrune
