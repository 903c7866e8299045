// OwnerDataCheckList: a check-box list whose rows live in the program. The
// list control (LVS_OWNERDATA) keeps only the number of rows, the selection
// and the focus; it asks for texts and check images (LVN_GETDISPINFO) as it
// draws. So adding, checking or unchecking a row costs the same however many
// rows there are, and the header's all-checked image follows a count of the
// unchecked rows. A click on a row's check box (NM_CLICK on the state icon)
// or the space bar (LVN_KEYDOWN) toggles the program's flag; the control
// never changes it by itself. The owner forwards the list's notifications to
// onNotify. Window thread only.
#pragma once

#include "ui/report_list.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// `rows` in ascending order, without repeats, without rows outside
// 0..count-1.
std::vector<int> normalisedRows(std::vector<int> rows, int count);

class OwnerDataCheckList : public ReportList {
public:
    OwnerDataCheckList() = default;

    // Takes the list control, turns its check boxes on and lets it ask for
    // their state. False for a null window or one without LVS_OWNERDATA
    // (that style cannot be added later).
    bool attach(HWND list);

    int rowCount() const override { return static_cast<int>(rows_.size()); }

    // Appends a row with the text of column 0 and its colours, checked or
    // not, datum 0; the other cells are empty, black on white. Returns its
    // index.
    int appendRow(const std::string& text, COLORREF textColour, COLORREF backColour,
                  bool checked);
    // False when the row does not exist.
    bool setCell(int row, int column, const std::string& text, COLORREF textColour,
                 COLORREF backColour);
    std::string cellText(int row, int column) const;   // empty when out of range

    void setChecked(int row, bool checked);
    bool isChecked(int row) const;   // false when out of range
    void setAllChecked(bool checked) override;
    bool allChecked() const override { return !rows_.empty() && unchecked_ == 0; }
    int uncheckedCount() const { return unchecked_; }

    void setRowData(int row, LPARAM data);
    LPARAM rowData(int row) const;   // 0 when out of range

    void deleteAllRows();
    // Removes the rows named (in any order; repeats and rows out of range are
    // passed over) in one pass over the list. The selection is cleared.
    void removeRows(const std::vector<int>& rows);
    // The selected rows, ascending.
    std::vector<int> selectedRows() const;

    // While rows are held, appended rows are kept but the control learns of
    // them only at releaseRows(): one LVM_SETITEMCOUNT for the whole batch,
    // and no drawing in between. Both may be called at any time.
    void holdRows();
    void releaseRows();

    // The list's notifications: custom draw, LVN_GETDISPINFO, LVN_ODFINDITEM,
    // NM_CLICK, LVN_KEYDOWN and LVN_COLUMNCLICK. True when `header` was one
    // of them; `answer` is then the result to give back.
    // (Custom draw and the header click: ReportList.)
    bool onNotify(NMHDR& header, LRESULT& answer);
    void onGetDispInfo(NMLVDISPINFOA& info) const;
    // Typing in the list: the next row from iStart whose column 0 begins
    // with (LVFI_PARTIAL) or is the text, ignoring case; -1 when none.
    // LVN_ODFINDITEMA and LVN_ODFINDITEMW: the first row from `startRow`
    // (wrapping round with LVFI_WRAP) whose first column is the text, or,
    // with LVFI_PARTIAL, starts with it, ignoring case; -1 when none.
    int findRow(UINT flags, const std::optional<std::string>& text, int startRow) const;
    // A wide text in the ANSI code page; none for a null text.
    static std::optional<std::string> ansiText(const wchar_t* text);
    // A click on a row's check box toggles it.
    void onClick(const NMITEMACTIVATE& click);
    // The space bar toggles the focused row (the selected one when none has
    // the focus).
    void onKeyDown(const NMLVKEYDOWN& key);

private:
    struct Cell {
        std::string text;
        COLORREF textColour;
        COLORREF backColour;
    };
    struct Row {
        std::vector<Cell> cells;
        LPARAM data = 0;
        bool checked = false;
    };

    // The user's toggle: flips the flag and tells the parent
    // (WM_XLISTCTRL_CHECKBOX_CLICKED).
    void toggle(int row);
    // Tells the control the number of rows it may show.
    void showRowCount();
    // Redraws `row` when the control shows it.
    void redrawRow(int row);
    // The header image after a change that found the rows all checked or not.
    void afterCheckChange(bool allCheckedBefore);
    const Cell* cell(int row, int column) const;
    bool cellColours(int row, int column, CellColours& colours) const override;

    std::vector<Row> rows_;
    int unchecked_ = 0;
    int shown_ = 0;         // the rows the control knows of
    bool held_ = false;
};

}  // namespace kestrune
