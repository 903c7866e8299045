// CheckListView: a report-view list control with a check box in column 0 of
// each row, a text and background colour per cell, an integer datum per row,
// and a header with an image list whose check-box column shows whether every
// row is checked. Built on the standard list view (LVS_EX_CHECKBOXES and
// custom draw), which keeps the rows; the owner forwards the list's
// notifications to it. Every check change looks at all rows: for short lists
// (a backup's items). OwnerDataCheckList serves long ones.
#pragma once

#include "ui/report_list.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace kestrune {

class CheckListView : public ReportList {
public:
    CheckListView() = default;

    // Takes the list control and turns its check boxes on. False for a null
    // window.
    bool attach(HWND list);

    int rowCount() const override;

    // Inserts a row with the text of column 0 and its colours; the row starts
    // unchecked with datum 0. Returns its index, or -1.
    int insertRow(int row, const std::string& text, COLORREF textColour, COLORREF backColour);
    bool setCell(int row, int column, const std::string& text, COLORREF textColour,
                 COLORREF backColour);
    std::string cellText(int row, int column) const;

    void setChecked(int row, bool checked);
    bool isChecked(int row) const;
    void setAllChecked(bool checked) override;
    bool allChecked() const override;

    void setRowData(int row, LPARAM data);
    LPARAM rowData(int row) const;

    void deleteAllRows();

    // Notification handlers the owner calls for WM_NOTIFY from this list,
    // with onCustomDraw and onColumnClick (ReportList).
    void onItemChanged(const NMLISTVIEW& change);

private:
    bool cellColours(int row, int column, CellColours& colours) const override;
    void updateHeaderCheckImage();
    CellColours* colours(int row, int column);

    std::vector<std::vector<CellColours>> colours_;   // [row][column]
    bool settingChecks_ = false;                       // our own changes, not the user's
};

}  // namespace kestrune
