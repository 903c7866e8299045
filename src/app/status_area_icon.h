// CStatusAreaIconObj: an icon with a tool tip in the notification area on
// behalf of an owner window, which it can hide and show again, and a popup
// menu offered when the icon is clicked; the menu's commands go to the owner.
// A hidden window of class "CStatusAreaIconObj" receives the shell's
// notifications (callback message kNotifyIconCallback); it keeps its object
// in its GWLP_USERDATA. The object never ends the program's message loop:
// that is its owner's.
#pragma once

#include "app/window_messages.h"
#include "platform/gui_handles.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace kestrune {

// The first version of the shell's record: 88 bytes with a 64-byte tip.
constexpr DWORD kNotifyIconRecordSize = 88;
constexpr UINT kNotifyIconId = 1;
constexpr size_t kMaxTipLength = 63;

// Which mouse buttons open the popup menu (a value outside these leaves the
// choice as it was).
enum class ClickMode : int {
    MenuOnRight = 0,   // on the right button's release
    MenuOnLeft = 1,
    MenuOnBoth = 2,
};

class CStatusAreaIconObj {
public:
    CStatusAreaIconObj() = default;
    // Removes a shown icon, shows an owner this object hid, frees the menu and
    // destroys the hidden window.
    virtual ~CStatusAreaIconObj();
    CStatusAreaIconObj(const CStatusAreaIconObj&) = delete;
    CStatusAreaIconObj& operator=(const CStatusAreaIconObj&) = delete;

    // Prepares the hidden window, click mode, tip, icon, menu and record but
    // does not add the icon. Does nothing at all when the tip is longer than
    // 63 characters. When the hidden window cannot be created it goes on
    // without one (the icon then reports to nobody).
    void attach(HWND owner, int iconId, const std::string& tip, int menuId, ClickMode clickMode);

    // Adds or deletes the icon and shows or hides the owner.
    void setIconState(bool iconOn, bool ownerShown);

    // Shows the popup menu at the mouse position; the pick goes to the owner.
    void showPopupMenu();

    HWND ownWindow() const { return ownWindow_; }
    bool iconShown() const { return iconShown_; }
    bool ownerHidden() const { return ownerHidden_; }
    bool menuOnLeftClick() const { return menuOnLeftClick_; }
    bool menuOnRightClick() const { return menuOnRightClick_; }
    HMENU popupMenu() const { return popupMenu_; }
    const NOTIFYICONDATAA& record() const { return record_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onIconNotification(UINT mouseMessage);
    void createOwnWindow();

    HWND owner_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HWND ownWindow_ = nullptr;
    bool iconShown_ = false;
    bool ownerHidden_ = false;
    bool menuOnRightClick_ = true;
    bool menuOnLeftClick_ = false;
    HICON icon_ = nullptr;     // shared resource icon or system icon: not destroyed
    ScopedMenu menu_;          // the loaded menu resource
    HMENU popupMenu_ = nullptr;   // its first submenu, owned by menu_
    std::string tip_;
    NOTIFYICONDATAA record_ = {};
};

}  // namespace kestrune
