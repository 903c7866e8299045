// The main window's state table, applied to the real dialog template.
#include "app/ui_state.h"

#include "support/window_test_helpers.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class UiStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::initCommonControls();
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr,
                                     plainDialog, 0);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog_); }

    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    bool shown(int id) const
    {
        return (GetWindowLongA(GetDlgItem(dialog_, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::string status() const
    {
        char text[128] = "";
        GetDlgItemTextA(dialog_, 1038, text, sizeof text);
        return text;
    }

    HWND dialog_ = nullptr;
};

TEST_F(UiStateTest, EachStateSetsButtonsListStatusLineAndStopButton)
{
    struct Row {
        UiState state;
        bool buttonsEnabled;
        bool listShown;
        int stored;
    };
    const Row rows[] = {
        {Idle, true, true, 0},         {Downloading, false, false, 1},
        {Scanning, false, true, 2},    {Removing, false, true, 3},
        {BackingUp, false, true, 4},   {CheckingReferenceFile, false, false, 5},
        {ScanFinished, true, true, 0},
    };
    for (const Row& row : rows) {
        // Start from the opposite so that every control has to change.
        applyUiState(dialog_, row.buttonsEnabled ? Downloading : Idle);
        EXPECT_EQ(applyUiState(dialog_, row.state), row.stored) << "state " << row.state;
        for (int id : {1001, 1002, 1003, 1009})
            EXPECT_EQ(enabled(id), row.buttonsEnabled) << "state " << row.state << " button " << id;
        for (int id : {1039, 1038, 1041})
            EXPECT_EQ(shown(id), row.listShown) << "state " << row.state << " control " << id;
        EXPECT_TRUE(enabled(1041)) << "the stop button is never disabled, state " << row.state;
        for (int id : {1049, 1044, 1045, 1046, 1047, 1048})
            EXPECT_TRUE(shown(id)) << "description and counters stay, state " << row.state;
    }
}

TEST_F(UiStateTest, RemovingWritesItsStatusTextAndOthersLeaveIt)
{
    SetDlgItemTextA(dialog_, 1038, "before");
    applyUiState(dialog_, Scanning);
    EXPECT_EQ(status(), "before");
    applyUiState(dialog_, Removing);
    EXPECT_EQ(status(), "Deleting Infected Files ......");
}

TEST_F(UiStateTest, InPreferencesChangesNoControl)
{
    for (UiState before : {Idle, Scanning, Downloading}) {
        applyUiState(dialog_, before);
        bool buttons = enabled(1001);
        bool list = shown(1039);
        EXPECT_EQ(applyUiState(dialog_, InPreferences), InPreferences);
        EXPECT_EQ(enabled(1001), buttons) << "after state " << before;
        EXPECT_EQ(enabled(1009), buttons) << "after state " << before;
        EXPECT_EQ(shown(1039), list) << "after state " << before;
    }
}

}  // namespace
}  // namespace kestrune
