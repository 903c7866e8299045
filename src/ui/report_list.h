// ReportList: what Kestrune's report-view lists share: the list control, its
// extended styles, its columns, and the header's image list with an image
// per column (the check-box column shows whether every row is checked).
// CheckListView and OwnerDataCheckList build on it.
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

protected:
    // The header of the check-box column shows kHeaderImageAllChecked when
    // `allChecked`, else kHeaderImageNotAllChecked; nothing without images.
    void showHeaderCheckImage(bool allChecked);

    HWND list_ = nullptr;
    ScopedImageList headerImages_;
};

}  // namespace kestrune
