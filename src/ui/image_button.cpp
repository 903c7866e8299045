// ImageButton: drawing the bitmap pair and tracking the mouse for the
// highlighted face.
#include "ui/image_button.h"

#include "platform/boundary.h"

#include <commctrl.h>

#include <vector>

namespace kestrune {

namespace {

const UINT_PTR kSubclassId = 0x4B42;   // "KB"
const COLORREF kFaceGrey = RGB(227, 227, 227);

SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    SIZE size = {info.bmWidth, info.bmHeight};
    return size;
}

}  // namespace

HBITMAP makeGreyedBitmap(HBITMAP bitmap)
{
    SIZE size = bitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(size.cx) * size.cy);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
    HBITMAP greyed = nullptr;
    if (lines == size.cy) {
        for (RGBQUAD& p : pixels) {
            BYTE grey = static_cast<BYTE>((p.rgbRed * 30 + p.rgbGreen * 59 + p.rgbBlue * 11) / 100);
            BYTE mixed = static_cast<BYTE>((grey + GetRValue(kFaceGrey)) / 2);
            p.rgbRed = p.rgbGreen = p.rgbBlue = mixed;
        }
        greyed = CreateCompatibleBitmap(screen, size.cx, size.cy);
        if (greyed != nullptr &&
            SetDIBits(screen, greyed, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS) != size.cy) {
            DeleteObject(greyed);
            greyed = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    return greyed;
}

ImageButton::~ImageButton()
{
    if (button_ != nullptr && IsWindow(button_))
        RemoveWindowSubclass(button_, subclassProc, kSubclassId);
}

bool ImageButton::attach(HWND dialog, int id, HINSTANCE instance, int normalBitmap, int hotBitmap)
{
    button_ = GetDlgItem(dialog, id);
    if (button_ == nullptr)
        return false;
    normal_.reset(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(normalBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    highlighted_.reset(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(hotBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (normal_.valid())
        disabled_.reset(makeGreyedBitmap(normal_.get()));
    SetWindowSubclass(button_, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    InvalidateRect(button_, nullptr, TRUE);
    return normal_.valid() && highlighted_.valid();
}

void ImageButton::draw(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    bool disabled = (item.itemState & ODS_DISABLED) != 0;
    bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HBITMAP face = normal_.get();
    if (disabled && disabled_.valid())
        face = disabled_.get();
    else if ((pressed || hot_) && highlighted_.valid())
        face = highlighted_.get();

    ScopedBrush background(CreateSolidBrush(kFaceGrey));
    FillRect(dc, &rc, background.get());
    if (face == nullptr) {
        // No pictures: a plain face with the button's text.
        char text[128] = "";
        GetWindowTextA(item.hwndItem, text, sizeof text);
        DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    SIZE size = bitmapSize(face);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int x = rc.left + (width - size.cx) / 2 + (pressed ? 1 : 0);
    int y = rc.top + (height - size.cy) / 2 + (pressed ? 1 : 0);
    ScopedMemoryDC memory(dc);
    if (!memory.valid())
        return;
    ScopedSelection selected(memory.get(), face);
    BitBlt(dc, x, y, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = rc;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
}

void ImageButton::setHot(bool hot)
{
    if (hot_ == hot)
        return;
    hot_ = hot;
    InvalidateRect(button_, nullptr, FALSE);
}

LRESULT CALLBACK ImageButton::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self)
{
    return guarded(
        "image button",
        [&] {
            return reinterpret_cast<ImageButton*>(self)->onSubclassMessage(window, message, wParam,
                                                                           lParam);
        },
        [&] { return DefSubclassProc(window, message, wParam, lParam); });
}

LRESULT ImageButton::onSubclassMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!hot_) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            setHot(true);
        }
        break;
    case WM_MOUSELEAVE:
        setHot(false);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, subclassProc, kSubclassId);
        button_ = nullptr;
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace kestrune
