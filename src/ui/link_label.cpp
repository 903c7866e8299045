// LinkLabel: hyperlink look and the hand cursor.
#include "ui/link_label.h"

#include "platform/boundary.h"

#include <commctrl.h>

namespace kestrune {

namespace {
const UINT_PTR kSubclassId = 0x4B4C;   // "KL"
}

LinkLabel::~LinkLabel()
{
    if (label_ != nullptr && IsWindow(label_))
        RemoveWindowSubclass(label_, subclassProc, kSubclassId);
}

bool LinkLabel::attach(HWND dialog, int id, const std::string& text)
{
    label_ = GetDlgItem(dialog, id);
    if (label_ == nullptr)
        return false;
    SetWindowTextA(label_, text.c_str());
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA font = {};
    if (dialogFont != nullptr && GetObjectA(dialogFont, sizeof font, &font) == sizeof font) {
        font.lfUnderline = TRUE;
        font_.reset(CreateFontIndirectA(&font));
        if (font_.valid())
            SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    SetWindowSubclass(label_, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

bool LinkLabel::onCtlColor(HDC dc, HWND control) const
{
    if (control != label_ || label_ == nullptr)
        return false;
    SetTextColor(dc, RGB(0, 0, 204));
    return true;
}

LRESULT CALLBACK LinkLabel::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self)
{
    return guarded(
        "link label",
        [&]() -> LRESULT {
            switch (message) {
            case WM_SETCURSOR:
                SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));   // IDC_HAND
                return TRUE;
            case WM_NCDESTROY:
                RemoveWindowSubclass(window, subclassProc, kSubclassId);
                reinterpret_cast<LinkLabel*>(self)->label_ = nullptr;
                break;
            }
            return DefSubclassProc(window, message, wParam, lParam);
        },
        [&] { return DefSubclassProc(window, message, wParam, lParam); });
}

}  // namespace kestrune
