// CStatusAreaIconObj: the hidden window, the icon record and the popup menu.
#include "app/status_area_icon.h"

#include "platform/boundary.h"

#include <cstring>

namespace kestrune {

namespace {

const char kWindowClass[] = "CStatusAreaIconObj";

}  // namespace

static_assert(NOTIFYICONDATAA_V1_SIZE == kNotifyIconRecordSize,
              "the first version of NOTIFYICONDATAA is 88 bytes");

CStatusAreaIconObj::~CStatusAreaIconObj()
{
    record_.cbSize = kNotifyIconRecordSize;
    record_.hWnd = ownWindow_;
    record_.uID = kNotifyIconId;
    if (iconShown_)
        Shell_NotifyIconA(NIM_DELETE, &record_);
    if (ownerHidden_ && owner_ != nullptr)
        ShowWindow(owner_, SW_SHOW);
    popupMenu_ = nullptr;
    menu_.reset();
    if (ownWindow_ != nullptr)
        DestroyWindow(ownWindow_);
}

void CStatusAreaIconObj::createOwnWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance_;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    ownWindow_ = CreateWindowExA(0, kWindowClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 instance_, this);
    if (ownWindow_ == nullptr)
        return;   // go on without it: the icon then reports to nobody
    ShowWindow(ownWindow_, SW_HIDE);
    UpdateWindow(ownWindow_);
}

void CStatusAreaIconObj::attach(HWND owner, int iconId, const std::string& tip, int menuId,
                                ClickMode clickMode)
{
    if (tip.size() > kMaxTipLength)
        return;
    owner_ = owner;
    instance_ = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    createOwnWindow();

    switch (clickMode) {
    case ClickMode::MenuOnRight:
        menuOnRightClick_ = true;
        menuOnLeftClick_ = false;
        break;
    case ClickMode::MenuOnLeft:
        menuOnRightClick_ = false;
        menuOnLeftClick_ = true;
        break;
    case ClickMode::MenuOnBoth:
        menuOnRightClick_ = true;
        menuOnLeftClick_ = true;
        break;
    default:
        break;
    }
    tip_ = tip;

    // IDI_APPLICATION (32512) to IDI_WINLOGO (32517) are the system's icons.
    if (iconId >= 32512 && iconId <= 32517)
        icon_ = LoadIconA(nullptr, MAKEINTRESOURCEA(iconId));
    else
        icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(iconId));

    menu_.reset(LoadMenuA(instance_, MAKEINTRESOURCEA(menuId)));
    popupMenu_ = menu_.valid() ? GetSubMenu(menu_.get(), 0) : nullptr;

    record_ = NOTIFYICONDATAA();
    record_.cbSize = kNotifyIconRecordSize;
    record_.hWnd = ownWindow_;
    record_.uID = kNotifyIconId;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kNotifyIconCallback;
    record_.hIcon = icon_;
    std::memcpy(record_.szTip, tip_.c_str(), tip_.size() + 1);
}

void CStatusAreaIconObj::setIconState(bool iconOn, bool ownerShown)
{
    if (iconOn) {
        Shell_NotifyIconA(NIM_ADD, &record_);
        iconShown_ = true;
    } else {
        Shell_NotifyIconA(NIM_DELETE, &record_);
        iconShown_ = false;
    }
    ownerHidden_ = !ownerShown;
    ShowWindow(owner_, ownerShown ? SW_SHOW : SW_HIDE);
}

void CStatusAreaIconObj::showPopupMenu()
{
    if (popupMenu_ == nullptr)
        return;
    if (ownWindow_ != nullptr)
        SetForegroundWindow(ownWindow_);
    POINT cursor = {};
    GetCursorPos(&cursor);
    TrackPopupMenu(popupMenu_, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, owner_,
                   nullptr);
}

void CStatusAreaIconObj::onIconNotification(UINT mouseMessage)
{
    if (mouseMessage == WM_LBUTTONUP && menuOnLeftClick_)
        showPopupMenu();
    else if (mouseMessage == WM_RBUTTONUP && menuOnRightClick_)
        showPopupMenu();
    else
        PostMessageA(owner_, mouseMessage, 0, kNotifyIconCallback);
}

LRESULT CALLBACK CStatusAreaIconObj::windowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    auto* self = reinterpret_cast<CStatusAreaIconObj*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return windowBoundary("notification icon window", window, message, wParam, lParam, [&] {
        if (message == kNotifyIconCallback && self != nullptr && lParam >= WM_MOUSEMOVE &&
            lParam <= WM_RBUTTONUP)
            self->onIconNotification(static_cast<UINT>(lParam));
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

}  // namespace kestrune
