// CheckListView on a real list view: rows with check boxes, per-cell colours,
// row data, and the header image that tells whether every row is checked.
#include "ui/check_list_view.h"
#include "ui/image_button.h"

#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

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
