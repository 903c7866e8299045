// ImageButton: an owner-drawn push button that shows one of a pair of
// bitmaps: the first normally, the second while the mouse is over it or it is
// pressed, and a greyed copy of the first while it is disabled.
#pragma once

#include "platform/gui_handles.h"

#include <windows.h>

namespace kestrune {

class ImageButton {
public:
    ImageButton() = default;
    virtual ~ImageButton();
    ImageButton(const ImageButton&) = delete;
    ImageButton& operator=(const ImageButton&) = delete;

    // Takes the button `id` of `dialog` (created with BS_OWNERDRAW) and loads
    // the two bitmap resources from `instance`. False when the button does not
    // exist or a bitmap cannot be loaded; the button then draws its text.
    bool attach(HWND dialog, int id, HINSTANCE instance, int normalBitmap, int hotBitmap);

    // Draws the button; the owner forwards its WM_DRAWITEM for this button.
    void draw(const DRAWITEMSTRUCT& item) const;

    HWND hwnd() const { return button_; }
    bool hot() const { return hot_; }

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT onSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void setHot(bool hot);

    HWND button_ = nullptr;
    bool hot_ = false;
    ScopedBitmap normal_;
    ScopedBitmap highlighted_;
    ScopedBitmap disabled_;
};

// A greyed copy of `bitmap` for a disabled control: each pixel mixed half and
// half with the dialog grey. Null when the copy cannot be made.
HBITMAP makeGreyedBitmap(HBITMAP bitmap);

}  // namespace kestrune
