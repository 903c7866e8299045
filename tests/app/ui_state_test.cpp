// The main window's state table, applied to the real dialog template.
#include "app/ui_state.h"

#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace kestrune {

// The state's number in failure messages.
inline std::ostream& operator<<(std::ostream& out, UiState state)
{
    return out << static_cast<int>(state);
}

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
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
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
        GetDlgItemTextA(dialog_, IDC_STATUS_LINE, text, sizeof text);
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
        {UiState::Idle, true, true, 0},         {UiState::Downloading, false, false, 1},
        {UiState::Scanning, false, true, 2},    {UiState::Removing, false, true, 3},
        {UiState::BackingUp, false, true, 4},   {UiState::CheckingReferenceFile, false, false, 5},
        {UiState::ScanFinished, true, true, 0},
    };
    for (const Row& row : rows) {
        // Start from the opposite so that every control has to change.
        applyUiState(dialog_, row.buttonsEnabled ? UiState::Downloading : UiState::Idle);
        EXPECT_EQ(static_cast<int>(applyUiState(dialog_, row.state)), row.stored) << "state " << row.state;
        for (int id : {IDC_SCAN, IDC_SCAN_FOLDER, IDC_DELETE, IDC_UPDATE})
            EXPECT_EQ(enabled(id), row.buttonsEnabled) << "state " << row.state << " button " << id;
        for (int id : {IDC_RESULT_LIST, IDC_STATUS_LINE, IDC_STOP_SCAN})
            EXPECT_EQ(shown(id), row.listShown) << "state " << row.state << " control " << id;
        EXPECT_TRUE(enabled(IDC_STOP_SCAN)) << "the stop button is never disabled, state " << row.state;
        for (int id : {IDC_DESCRIPTION, IDC_MEMORY_COUNT, IDC_REGISTRY_COUNT, IDC_COOKIES_COUNT,
                       IDC_FILES_COUNT, IDC_ITEMS_SCANNED})
            EXPECT_TRUE(shown(id)) << "description and counters stay, state " << row.state;
    }
}

TEST_F(UiStateTest, RemovingWritesItsStatusTextAndOthersLeaveIt)
{
    SetDlgItemTextA(dialog_, IDC_STATUS_LINE, "before");
    applyUiState(dialog_, UiState::Scanning);
    EXPECT_EQ(status(), "before");
    applyUiState(dialog_, UiState::Removing);
    EXPECT_EQ(status(), "Deleting Infected Files ......");
}

TEST_F(UiStateTest, InPreferencesChangesNoControl)
{
    for (UiState before : {UiState::Idle, UiState::Scanning, UiState::Downloading}) {
        applyUiState(dialog_, before);
        bool buttons = enabled(IDC_SCAN);
        bool list = shown(IDC_RESULT_LIST);
        EXPECT_EQ(applyUiState(dialog_, UiState::InPreferences), UiState::InPreferences);
        EXPECT_EQ(enabled(IDC_SCAN), buttons) << "after state " << before;
        EXPECT_EQ(enabled(IDC_UPDATE), buttons) << "after state " << before;
        EXPECT_EQ(shown(IDC_RESULT_LIST), list) << "after state " << before;
    }
}

}  // namespace
}  // namespace kestrune
