// CStatusAreaIconObj: attach, the notification record, the click modes, the
// hidden window's forwarding and the clean-up.
#include "app/status_area_icon.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrune {
namespace {

struct Posted {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int count = 0;
};
Posted lastMouse;

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        lastMouse.window = window;
        lastMouse.message = message;
        lastMouse.wParam = wParam;
        lastMouse.lParam = lParam;
        ++lastMouse.count;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class StatusAreaIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ownerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestruneIconOwner";
        RegisterClassA(&wc);
        owner_ = CreateWindowExA(0, "KestruneIconOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(owner_, nullptr);
        otherOwner_ = CreateWindowExA(0, "KestruneIconOwner", "other", WS_OVERLAPPEDWINDOW, 0, 0,
                                      100, 100, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(otherOwner_, nullptr);
        ShowWindow(owner_, SW_SHOW);
        lastMouse = Posted();
    }
    void TearDown() override
    {
        DestroyWindow(owner_);
        DestroyWindow(otherOwner_);
    }
    void pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    HWND owner_ = nullptr;
    HWND otherOwner_ = nullptr;
};

TEST_F(StatusAreaIconTest, AttachFillsTheFirstVersionRecordWithoutAddingTheIcon)
{
    auto icon = std::make_unique<CStatusAreaIconObj>();
    icon->attach(owner_, IDI_KESTRUNE, "Kestrune v2.01", IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    const NOTIFYICONDATAA& record = icon->record();
    EXPECT_EQ(record.cbSize, 88u);
    EXPECT_EQ(record.hWnd, icon->ownWindow());
    EXPECT_NE(record.hWnd, owner_);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 3002u);
    EXPECT_NE(record.hIcon, nullptr);
    EXPECT_STREQ(record.szTip, "Kestrune v2.01");
    EXPECT_FALSE(icon->iconShown());
    char name[64] = "";
    GetClassNameA(icon->ownWindow(), name, sizeof name);
    EXPECT_STREQ(name, "CStatusAreaIconObj");
    EXPECT_FALSE(IsWindowVisible(icon->ownWindow()));
    ASSERT_NE(icon->popupMenu(), nullptr);
    EXPECT_EQ(GetMenuItemCount(icon->popupMenu()), 8);
    EXPECT_EQ(GetMenuItemID(icon->popupMenu(), 0), 32774u);
    EXPECT_EQ(GetMenuItemID(icon->popupMenu(), 7), 32771u);
}

TEST_F(StatusAreaIconTest, TipOf63CharactersIsAcceptedAnd64MakeAttachDoNothing)
{
    auto fits = std::make_unique<CStatusAreaIconObj>();
    fits->attach(owner_, IDI_KESTRUNE, std::string(63, 't'), IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    EXPECT_NE(fits->ownWindow(), nullptr);
    EXPECT_EQ(std::string(fits->record().szTip), std::string(63, 't'));
    fits.reset();

    auto tooLong = std::make_unique<CStatusAreaIconObj>();
    tooLong->attach(owner_, IDI_KESTRUNE, std::string(64, 't'), IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    EXPECT_EQ(tooLong->ownWindow(), nullptr);
    EXPECT_EQ(tooLong->popupMenu(), nullptr);
    EXPECT_EQ(tooLong->record().cbSize, 0u);
}

TEST_F(StatusAreaIconTest, ClickModesChooseTheButtonsThatOpenTheMenu)
{
    struct Row {
        int mode;
        bool left;
        bool right;
    };
    const Row rows[] = {{0, false, true}, {1, true, false}, {2, true, true}, {7, false, true}};
    for (const Row& row : rows) {
        CStatusAreaIconObj icon;
        icon.attach(owner_, IDI_KESTRUNE, "tip", IDR_TRAY_MENU, static_cast<ClickMode>(row.mode));
        EXPECT_EQ(icon.menuOnLeftClick(), row.left) << "mode " << row.mode;
        EXPECT_EQ(icon.menuOnRightClick(), row.right) << "mode " << row.mode;
    }
}

TEST_F(StatusAreaIconTest, HiddenWindowForwardsMouseMessagesToTheOwner)
{
    CStatusAreaIconObj icon;
    icon.attach(owner_, IDI_KESTRUNE, "tip", IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    // Each hidden window reaches its own object, also when another exists.
    CStatusAreaIconObj other;
    other.attach(otherOwner_, IDI_KESTRUNE, "other", IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    // The callback arrives at the hidden window, never at the owner.
    SendMessageA(icon.ownWindow(), 3002, 1, WM_MOUSEMOVE);
    pump();
    EXPECT_EQ(lastMouse.count, 1);
    EXPECT_EQ(lastMouse.window, owner_);
    EXPECT_EQ(lastMouse.message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(lastMouse.wParam, 0u);
    EXPECT_EQ(lastMouse.lParam, 3002);
    SendMessageA(icon.ownWindow(), 3002, 1, WM_LBUTTONDOWN);
    pump();
    EXPECT_EQ(lastMouse.message, static_cast<UINT>(WM_LBUTTONDOWN));
    // Outside the mouse range nothing is forwarded.
    SendMessageA(icon.ownWindow(), 3002, 1, WM_KEYDOWN);
    pump();
    EXPECT_EQ(lastMouse.count, 2);
}

TEST_F(StatusAreaIconTest, ButtonUpWithoutMenuIsForwardedToo)
{
    CStatusAreaIconObj icon;
    icon.attach(owner_, IDI_KESTRUNE, "tip", IDR_TRAY_MENU, ClickMode::MenuOnRight);   // right button only
    SendMessageA(icon.ownWindow(), 3002, 1, WM_LBUTTONUP);
    pump();
    EXPECT_EQ(lastMouse.message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(lastMouse.lParam, 3002);
}

TEST_F(StatusAreaIconTest, SetIconStateShowsAndHidesTheOwnerAndCleanUpShowsItAgain)
{
    auto icon = std::make_unique<CStatusAreaIconObj>();
    icon->attach(owner_, IDI_KESTRUNE, "tip", IDR_TRAY_MENU, ClickMode::MenuOnBoth);
    icon->setIconState(false, true);
    EXPECT_FALSE(icon->iconShown());
    EXPECT_FALSE(icon->ownerHidden());
    EXPECT_TRUE(IsWindowVisible(owner_));

    icon->setIconState(false, false);
    EXPECT_TRUE(icon->ownerHidden());
    EXPECT_FALSE(IsWindowVisible(owner_));
    HWND own = icon->ownWindow();
    icon.reset();
    EXPECT_TRUE(IsWindowVisible(owner_)) << "destruction shows the owner it hid";
    EXPECT_FALSE(IsWindow(own));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the owner, not the icon object, ends the message loop";
}

}  // namespace
}  // namespace kestrune
