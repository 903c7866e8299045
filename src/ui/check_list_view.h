// CheckListView: a report-view list control with a check box in column 0 of
// each row, a text and background colour per cell, an integer datum per row,
// and a header with an image list whose check-box column shows whether every
// row is checked. Built on the standard list view (LVS_EX_CHECKBOXES and
// custom draw); the owner forwards the list's notifications to it.
#pragma once

#include "platform/gui_handles.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace kestrune {

// Sent (posted) to the list's parent when the user toggles a row's check box:
// wParam = row, lParam = the list's control id.
const UINT WM_XLISTCTRL_CHECKBOX_CLICKED = WM_APP + 0x101;

// Header images of the check-box column.
enum HeaderCheckImage {
    kHeaderImageNone = 0,
    kHeaderImageNotAllChecked = 1,
    kHeaderImageAllChecked = 2,
};

class CheckListView {
public:
    CheckListView() = default;
    virtual ~CheckListView() = default;
    CheckListView(const CheckListView&) = delete;
    CheckListView& operator=(const CheckListView&) = delete;

    // Takes the list control and turns its check boxes on. False for a null
    // window.
    bool attach(HWND list);
    HWND hwnd() const { return list_; }

    // Adds extended styles besides the check boxes (LVS_EX_FULLROWSELECT ...).
    void addExtendedStyle(DWORD style);

    // Loads the header's image list from a bitmap resource cut into images of
    // `imageWidth` pixels with `transparent` as the see-through colour, and
    // gives it to the header. False when the bitmap cannot be loaded.
    bool setHeaderImages(HINSTANCE instance, int bitmapId, int imageWidth, int grow,
                         COLORREF transparent);
    // Shows `image` in the header of `column` (HDF_IMAGE); -1 removes it.
    void setHeaderImage(int column, int image);
    int headerImage(int column) const;   // -1 when the header has none

    int insertColumn(int column, const std::string& text, int width);
    int rowCount() const;

    // Inserts a row with the text of column 0 and its colours; the row starts
    // unchecked with datum 0. Returns its index, or -1.
    int insertRow(int row, const std::string& text, COLORREF textColour, COLORREF backColour);
    bool setCell(int row, int column, const std::string& text, COLORREF textColour,
                 COLORREF backColour);
    std::string cellText(int row, int column) const;
    COLORREF cellTextColour(int row, int column) const;

    void setChecked(int row, bool checked);
    bool isChecked(int row) const;
    void setAllChecked(bool checked);
    bool allChecked() const;   // false when there are no rows

    void setRowData(int row, LPARAM data);
    LPARAM rowData(int row) const;

    void deleteAllRows();
    // Deletes one row with its colours; the rows below move up.
    void deleteRow(int row);

    // Notification handlers the owner calls for WM_NOTIFY from this list.
    // onCustomDraw returns the custom-draw answer to give back.
    LRESULT onCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void onItemChanged(const NMLISTVIEW& change);
    // A click on the check-box column's header checks every row, or unchecks
    // every row when all were checked.
    void onColumnClick(const NMLISTVIEW& click);

private:
    struct CellColours {
        COLORREF text;
        COLORREF back;
    };
    void updateHeaderCheckImage();
    CellColours* colours(int row, int column);

    HWND list_ = nullptr;
    ScopedImageList headerImages_;
    std::vector<std::vector<CellColours>> colours_;   // [row][column]
    bool settingChecks_ = false;                       // our own changes, not the user's
};

}  // namespace kestrune
