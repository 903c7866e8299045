// CheckListView and OwnerDataCheckList on real list views: rows with check
// boxes, per-cell colours, row data, and the header image that tells whether
// every row is checked; for the owner-data list also what the control asks
// of it, clicks and the space bar on the check boxes, and removing rows.
#include "ui/check_list_view.h"
#include "ui/image_button.h"
#include "ui/owner_data_check_list.h"

#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrune {
namespace {

class CheckListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::initCommonControls();
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 400, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        ASSERT_TRUE(view_.attach(list_));
        ASSERT_TRUE(view_.setHeaderImages(GetModuleHandleA(nullptr), IDB_HEADER_IMAGES, 16, 3,
                                          RGB(255, 0, 255)));
        for (int column = 0; column < 4; ++column)
            view_.insertColumn(column, "c" + std::to_string(column), 80);
        view_.setHeaderImage(0, kHeaderImageNotAllChecked);
        for (int column = 1; column < 4; ++column)
            view_.setHeaderImage(column, kHeaderImageNone);
    }
    void TearDown() override { DestroyWindow(list_); }

    int addRow(const std::string& text)
    {
        int row = view_.insertRow(view_.rowCount(), text, RGB(128, 128, 128), RGB(255, 255, 255));
        view_.setChecked(row, true);
        return row;
    }

    HWND list_ = nullptr;
    CheckListView view_;
};

TEST_F(CheckListViewTest, RowsKeepTheirTextsColoursAndData)
{
    int first = addRow("Alpha");
    int second = addRow("Beta");
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(view_.setCell(second, 3, "Severe", RGB(255, 0, 0), RGB(255, 255, 255)));
    view_.setRowData(first, 7);
    view_.setRowData(second, 42);
    // A row inserted in front moves the others, with their colours.
    int front = view_.insertRow(0, "Zero", RGB(1, 2, 3), RGB(255, 255, 255));
    EXPECT_EQ(front, 0);
    EXPECT_EQ(view_.rowCount(), 3);
    EXPECT_EQ(view_.cellText(2, 0), "Beta");
    EXPECT_EQ(view_.cellText(2, 3), "Severe");
    EXPECT_EQ(view_.cellTextColour(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(view_.cellTextColour(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(view_.rowData(1), 7);
    EXPECT_EQ(view_.rowData(2), 42);
    EXPECT_FALSE(view_.isChecked(0)) << "a new row starts unchecked";
    view_.deleteAllRows();
    EXPECT_EQ(view_.rowCount(), 0);
}

TEST_F(CheckListViewTest, CustomDrawGivesEachCellItsColours)
{
    int row = addRow("Alpha");
    view_.setCell(row, 3, "Dangerous", RGB(255, 0, 0), RGB(255, 255, 255));
    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(view_.onCustomDraw(draw), CDRF_NOTIFYITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    EXPECT_EQ(view_.onCustomDraw(draw), CDRF_NOTIFYSUBITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.dwItemSpec = row;
    draw.iSubItem = 0;
    view_.onCustomDraw(draw);
    EXPECT_EQ(draw.clrText, RGB(128, 128, 128));
    draw.iSubItem = 3;
    view_.onCustomDraw(draw);
    EXPECT_EQ(draw.clrText, RGB(255, 0, 0));
    EXPECT_EQ(draw.clrTextBk, RGB(255, 255, 255));
}

TEST_F(CheckListViewTest, HeaderImageShowsWhetherEveryRowIsChecked)
{
    EXPECT_EQ(view_.headerImage(0), kHeaderImageNotAllChecked) << "no rows";
    EXPECT_EQ(view_.headerImage(1), kHeaderImageNone);
    addRow("Alpha");
    addRow("Beta");
    EXPECT_EQ(view_.headerImage(0), kHeaderImageAllChecked);
    view_.setChecked(1, false);
    EXPECT_EQ(view_.headerImage(0), kHeaderImageNotAllChecked);

    NMLISTVIEW click = {};
    click.iSubItem = 0;
    view_.onColumnClick(click);
    EXPECT_TRUE(view_.isChecked(0));
    EXPECT_TRUE(view_.isChecked(1));
    EXPECT_EQ(view_.headerImage(0), kHeaderImageAllChecked);
    view_.onColumnClick(click);
    EXPECT_FALSE(view_.isChecked(0));
    EXPECT_FALSE(view_.isChecked(1));
    click.iSubItem = 2;
    view_.onColumnClick(click);
    EXPECT_FALSE(view_.isChecked(0)) << "other columns' headers do not toggle";
}

// An owner-data list in a parent window that hands it the list's
// notifications, as the main window does.
class OwnerDataCheckListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::initCommonControls();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = parentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestruneOwnerDataTest";
        RegisterClassA(&wc);
        parent_ = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 420, 220,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        SetWindowLongPtrA(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view_));
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL,
                                0, 0, 400, 200, parent_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
        ASSERT_TRUE(view_.attach(list_));
        ASSERT_TRUE(view_.setHeaderImages(GetModuleHandleA(nullptr), IDB_HEADER_IMAGES, 16, 3,
                                          RGB(255, 0, 255)));
        for (int column = 0; column < 4; ++column)
            view_.insertColumn(column, "c" + std::to_string(column), 80);
        view_.setHeaderImage(0, kHeaderImageNotAllChecked);
    }
    void TearDown() override { DestroyWindow(parent_); }

    static LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* view = reinterpret_cast<OwnerDataCheckList*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        LRESULT answer = 0;
        if (message == WM_NOTIFY && view != nullptr &&
            view->onNotify(*reinterpret_cast<NMHDR*>(lParam), answer))
            return answer;
        return DefWindowProcA(window, message, wParam, lParam);
    }

    void addRows(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            view_.appendRow(name, RGB(128, 128, 128), RGB(255, 255, 255), true);
    }
    // Through the control, as a reader in another process sees the row.
    std::string controlText(int row, int column)
    {
        char text[64] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int controlCheckImage(int row)
    {
        return static_cast<int>(SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12);
    }
    int controlRowCount() { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
    void handleMessages()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_XLISTCTRL_CHECKBOX_CLICKED)
                toggled_.push_back(static_cast<int>(message.wParam));
            DispatchMessageA(&message);
        }
    }
    void click(int row, bool onCheckBox)
    {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        LVHITTESTINFO hit = {};
        hit.pt.y = (bounds.top + bounds.bottom) / 2;
        for (hit.pt.x = bounds.left; hit.pt.x < bounds.left + 40; ++hit.pt.x) {
            SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (((hit.flags & LVHT_ONITEMSTATEICON) != 0) == onCheckBox)
                break;
        }
        PostMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
        PostMessageA(list_, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
        handleMessages();
    }

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
    OwnerDataCheckList view_;
    std::vector<int> toggled_;
};

TEST_F(OwnerDataCheckListTest, TheControlShowsTheProgramsRowsAndLosesTheRemovedOnes)
{
    HWND plain = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    OwnerDataCheckList refused;
    EXPECT_FALSE(refused.attach(plain)) << "the rows must live in the program";
    DestroyWindow(plain);

    view_.holdRows();
    addRows({"Alpha", "Beta", "Gamma", "Delta", "Beta two"});
    EXPECT_EQ(0, controlRowCount()) << "held rows are not shown yet";
    view_.releaseRows();
    EXPECT_EQ(5, controlRowCount());
    EXPECT_TRUE(view_.setCell(2, 3, "Severe", RGB(255, 0, 0), RGB(255, 255, 255)));
    EXPECT_FALSE(view_.setCell(5, 0, "no row", 0, 0));
    view_.setChecked(3, false);
    view_.setRowData(2, 42);
    EXPECT_EQ("Gamma", controlText(2, 0));
    EXPECT_EQ("Severe", controlText(2, 3));
    EXPECT_EQ("", controlText(2, 1));
    EXPECT_EQ(2, controlCheckImage(2));
    EXPECT_EQ(1, controlCheckImage(3));
    EXPECT_EQ(42, view_.rowData(2));

    NMLVCUSTOMDRAW draw = {};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.dwItemSpec = 2;
    draw.iSubItem = 3;
    view_.onCustomDraw(draw);
    EXPECT_EQ(RGB(255, 0, 0), draw.clrText);
    draw.iSubItem = 0;
    view_.onCustomDraw(draw);
    EXPECT_EQ(RGB(128, 128, 128), draw.clrText);

    // Typing a name: the next row from the start that begins with it, asked
    // in either form of the notice (Wine sends the wide one).
    struct {
        const char* text;
        UINT flags;
        int start;
        int row;
    } finds[] = {{"be", LVFI_PARTIAL, 0, 1},           {"be", LVFI_PARTIAL, 2, 4},
                 {"al", LVFI_PARTIAL, 2, -1},          {"al", LVFI_PARTIAL | LVFI_WRAP, 2, 0},
                 {"BETA", LVFI_STRING, 2, -1},         {"BETA", LVFI_STRING | LVFI_WRAP, 2, 1},
                 {"zeta", LVFI_PARTIAL | LVFI_WRAP, 0, -1}};
    for (const auto& f : finds) {
        NMLVFINDITEMA find = {};
        find.hdr.code = LVN_ODFINDITEMA;
        find.iStart = f.start;
        find.lvfi.flags = f.flags;
        find.lvfi.psz = f.text;
        LRESULT answer = -2;
        EXPECT_TRUE(view_.onNotify(find.hdr, answer));
        EXPECT_EQ(f.row, answer) << f.text << " from " << f.start;
        const std::wstring wide(f.text, f.text + std::strlen(f.text));
        NMLVFINDITEMW findWide = {};
        findWide.hdr.code = LVN_ODFINDITEMW;
        findWide.iStart = f.start;
        findWide.lvfi.flags = f.flags;
        findWide.lvfi.psz = wide.c_str();
        answer = -2;
        EXPECT_TRUE(view_.onNotify(findWide.hdr, answer));
        EXPECT_EQ(f.row, answer) << f.text << " from " << f.start << " (wide)";
    }

    ListView_SetItemState(list_, 4, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(std::vector<int>{4}, view_.selectedRows());
    view_.removeRows({3, 0, 3, 9});
    EXPECT_EQ(3, view_.rowCount());
    EXPECT_EQ(3, controlRowCount());
    EXPECT_EQ("Gamma", controlText(1, 0));
    EXPECT_EQ(42, view_.rowData(1));
    EXPECT_EQ(0, view_.uncheckedCount()) << "the unchecked row went";
    EXPECT_EQ(kHeaderImageAllChecked, view_.headerImage(0));
    EXPECT_TRUE(view_.selectedRows().empty());
    view_.deleteAllRows();
    EXPECT_EQ(0, controlRowCount());
    EXPECT_EQ(kHeaderImageNotAllChecked, view_.headerImage(0));
}

TEST_F(OwnerDataCheckListTest, ACheckBoxClickTheSpaceBarAndTheHeaderToggleTheProgramsMarks)
{
    addRows({"Alpha", "Beta", "Gamma"});
    EXPECT_EQ(kHeaderImageAllChecked, view_.headerImage(0));

    click(1, true);
    EXPECT_FALSE(view_.isChecked(1));
    EXPECT_EQ(1, controlCheckImage(1));
    EXPECT_EQ(1, view_.uncheckedCount());
    EXPECT_EQ(kHeaderImageNotAllChecked, view_.headerImage(0));
    EXPECT_EQ(std::vector<int>{1}, toggled_);
    click(2, false);
    EXPECT_TRUE(view_.isChecked(2)) << "a click beside the box does not toggle";

    ListView_SetItemState(list_, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(list_, WM_KEYUP, VK_SPACE, 0);
    handleMessages();
    EXPECT_TRUE(view_.isChecked(1));
    EXPECT_EQ(kHeaderImageAllChecked, view_.headerImage(0));

    NMLISTVIEW column = {};
    view_.onColumnClick(column);
    EXPECT_EQ(3, view_.uncheckedCount());
    EXPECT_EQ(1, controlCheckImage(0));
    EXPECT_EQ(kHeaderImageNotAllChecked, view_.headerImage(0));
    view_.onColumnClick(column);
    EXPECT_TRUE(view_.allChecked());
    EXPECT_EQ(kHeaderImageAllChecked, view_.headerImage(0));
}

TEST(ImageButtonTest, GreyedCopyKeepsTheSizeAndLosesTheColour)
{
    HBITMAP source = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SCAN_NORMAL), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(source, nullptr);
    HBITMAP greyed = makeGreyedBitmap(source);
    ASSERT_NE(greyed, nullptr);
    BITMAP a = {}, b = {};
    GetObjectA(source, sizeof a, &a);
    GetObjectA(greyed, sizeof b, &b);
    EXPECT_EQ(a.bmWidth, b.bmWidth);
    EXPECT_EQ(a.bmHeight, b.bmHeight);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, greyed);
    COLORREF pixel = GetPixel(memory, 2, 9);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(GetRValue(pixel), GetGValue(pixel));
    EXPECT_EQ(GetGValue(pixel), GetBValue(pixel));
    DeleteObject(greyed);
    DeleteObject(source);
}

}  // namespace
}  // namespace kestrune
