// ReportList: the base of Kestrune's check-box lists, CheckListView and
// OwnerDataCheckList: the list control, its extended styles, its columns, the
// header's image list with an image per column (the check-box column shows
// whether every row is checked), the cells' colours as custom draw shows
// them, and the header click that checks or unchecks every row. Each list
// keeps its rows its own way and answers the questions below.
#pragma once

#include "platform/gui_handles.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

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

class ReportList {
public:
    ReportList() = default;
    virtual ~ReportList() = default;
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    HWND hwnd() const { return list_; }

    // Adds extended styles (LVS_EX_FULLROWSELECT ...) to those it has.
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

    virtual int rowCount() const = 0;
    virtual void setAllChecked(bool checked) = 0;
    virtual bool allChecked() const = 0;   // false when there are no rows

    // The text colour of a cell; black when the cell does not exist.
    COLORREF cellTextColour(int row, int column) const;

    // Custom draw (NM_CUSTOMDRAW from the list): asks for each cell and
    // gives it its colours, black on white when the cell does not exist.
    // Returns the custom-draw answer to give back.
    LRESULT onCustomDraw(NMLVCUSTOMDRAW& draw) const;
    // A click on the check-box column's header checks every row, or unchecks
    // every row when all were checked.
    void onColumnClick(const NMLISTVIEW& click);

protected:
    struct CellColours {
        COLORREF text;
        COLORREF back;
    };
    static constexpr COLORREF kDefaultText = RGB(0, 0, 0);
    static constexpr COLORREF kDefaultBack = RGB(255, 255, 255);

    // The colours of an existing cell; false when there is no such cell.
    virtual bool cellColours(int row, int column, CellColours& colours) const = 0;

    // The header of the check-box column shows kHeaderImageAllChecked when
    // `allChecked`, else kHeaderImageNotAllChecked; nothing without images.
    void showHeaderCheckImage(bool allChecked);

    HWND list_ = nullptr;
    ScopedImageList headerImages_;
};

}  // namespace kestrune
