// MainWindow: the program's one top-level window (IDD_MAIN), run modally
// for the whole life of the process. It owns the ParasiteList, the result
// list, the notification-area icon object, uiState and the update fields,
// turns buttons and menu items into commands, runs the start-up timers and
// lays its controls out when it is sized.
//
// The scan commands, the scan messages (WM_SCAN_STATE and the WM_FOUND_*
// messages), the result list's set-up and selection and IDT_STARTUP_SCAN go
// to ScanCommands, which owns the scan's state; the delete command goes to
// WindowRemoval. The notification-area icon leaves the end of the program to
// this window: its modal run ends with EndDialog.
#pragma once

#include "app/loading_dialog.h"
#include "app/result_menu.h"
#include "app/scan_commands.h"
#include "app/window_messages.h"
#include "app/status_area_icon.h"
#include "app/ui_state.h"
#include "app/update_host.h"
#include "app/window_layout.h"
#include "app/window_removal.h"
#include "definitions/parasite.h"
#include "platform/gui_handles.h"
#include "platform/handles.h"
#include "platform/message_boxes.h"
#include "ui/owner_data_check_list.h"
#include "ui/dialog.h"
#include "ui/image_button.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

extern const char kWindowTitle[];

// What the window is run with besides firstRun; tests shorten the delays.
struct MainWindowOptions {
    MessageBoxes* messageBoxes = nullptr;   // null: the real message boxes
    LoadingTimings loadingTimings;
    UpdateTimings updateTimings;
    unsigned startupTimerMs = 3000;          // IDT_STARTUP
    unsigned startupScanTimerMs = 500;       // IDT_STARTUP_SCAN
};

class MainWindow : public Dialog, public UpdateHost, public ScanHost {
public:
    explicit MainWindow(bool firstRun, const MainWindowOptions& options = MainWindowOptions());
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the dialog with no parent and runs it until it ends; returns
    // the result it ended with (IDOK, IDCANCEL), or -1 when it could not be
    // created.
    INT_PTR runModal();

    // UpdateHost
    HWND window() const override { return window_; }
    MessageBoxes& messageBoxes() override { return *boxes_; }
    UpdateTimings updateTimings() const override { return options_.updateTimings; }
    void setUiState(UiState state) override;
    bool scanThreadRunning() const override;
    ParasiteList& parasiteList() override { return parasites_; }
    std::string& updateUrl() override { return updateUrl_; }
    std::string& downloadTarget() override { return downloadTarget_; }
    bool runLoadingDialog() override;
    bool runPreferencesDialog() override;
    void endWindow(int result) override;
    void setUpdateUnderWay(UpdateProgressDialog* dialog) override { update_ = dialog; }
    bool closing() const override { return closing_; }

    // ScanHost (window(), messageBoxes(), parasiteList() and setUiState()
    // serve both hosts)
    UiState uiState() const override { return uiState_; }
    bool startedFromRunEntry() const override { return startedAtStartup_; }
    void showFromNotificationArea() override;
    void runRemoveCommand() override;
    bool removalUnderWay() const override;

    ScanCommands& scanCommands() { return scanCommands_; }
    WindowRemoval& removal() { return removal_; }
    OwnerDataCheckList& resultList() { return resultList_; }
    CStatusAreaIconObj& statusAreaIcon() { return statusAreaIcon_; }

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void close(int result);
    void onCommand(int id);
    void onSysCommand(WPARAM wParam);
    void onTimer(UINT_PTR id);
    void onStartupTimer();
    INT_PTR onNotify(NMHDR& header);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    BOOL onEraseBackground(HDC dc);
    INT_PTR onCtlColorStatic(HDC dc);
    bool onPaintMinimised();
    void onSize();
    void fitTypeColumn();
    void onSizing(WPARAM edge, RECT& rect);
    void extendSystemMenu();
    void attachImageButtons();
    void recordLayouts();
    void onPreferencesCommand();
    void onRestoreCommand();
    void onAboutCommand();
    void onHelpCommand(int showMode);
    void onShowCommand();
    void onSaveReportCommand();
    void onInitMenuPopup(HMENU menu);
    // No scan, backup or removal runs: the result rows may change.
    bool rowsMayChange() const;

    // Declared so that destruction runs: icon object, fonts and bitmaps,
    // ParasiteList, then controls and brushes.
    MainWindowOptions options_;
    SystemMessageBoxes systemBoxes_;
    MessageBoxes* boxes_;
    bool firstRun_ = false;
    bool startedAtStartup_ = false;   // the command line was exactly "/s"
    bool listReady_ = false;          // the result list is set up: columns may be fitted
    UiState uiState_ = UiState::Idle;
    UpdateProgressDialog* update_ = nullptr;   // the update dialog that is up
    bool closing_ = false;
    std::string updateUrl_;
    std::string downloadTarget_;
    std::vector<ControlLayout> layouts_;
    ScopedBrush whiteBrush_;
    OwnerDataCheckList resultList_;
    ImageButton scanButton_;
    ImageButton folderScanButton_;
    ImageButton stopButton_;
    ImageButton updateButton_;
    ImageButton deleteButton_;
    ParasiteList parasites_;
    HICON bigIcon_ = nullptr;     // resource icons: shared, not destroyed
    HICON smallIcon_ = nullptr;
    ScopedBitmap background_;
    ScopedBitmap aboutMenuBitmap_;
    ScopedBitmap helpMenuBitmap_;
    ScopedFont statusFont_;
    CStatusAreaIconObj statusAreaIcon_;
    WindowRemoval removal_;
    // Last, so that it goes first: a scan thread still running uses the
    // ParasiteList and the result list.
    ScanCommands scanCommands_;
    ResultMenu resultMenu_{scanCommands_};
};

}  // namespace kestrune
