// MainWindow: initialisation, commands, timers, painting and layout.
#include "app/main_window.h"

#include "app/update_progress_dialog.h"

#include "app/about_dialog.h"
#include "app/command_line.h"
#include "app/open_url.h"
#include "app/preferences_dialog.h"
#include "app/report_saving.h"
#include "app/restore_dialog.h"
#include "app/update_progress_dialog.h"
#include "app/reference_update.h"
#include "platform/resource_strings.h"
#include "platform/shell.h"
#include "removal/backup_run.h"
#include "safety/own_places.h"
#include "settings/settings_store.h"
#include "ui/system_modal.h"
#include "update/update_server.h"

#include "product.h"
#include "resource.h"

#include <commctrl.h>

namespace kestrune {

const char kWindowTitle[] = KESTRUNE_TITLE;

namespace {

const COLORREF kBackgroundColour = RGB(227, 227, 227);
const int kMinimumWidth = 630;
const int kMinimumHeight = 420;
const int kTypeColumn = 2;
const int kMinimumTypeColumnWidth = 40;

SIZE clientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    SIZE size = {client.right - client.left, client.bottom - client.top};
    return size;
}

}  // namespace

MainWindow::MainWindow(bool firstRun, const MainWindowOptions& options)
    : options_(options),
      boxes_(options.messageBoxes != nullptr ? options.messageBoxes : &systemBoxes_),
      firstRun_(firstRun),
      removal_(*this),
      scanCommands_(*this, resultList_)
{
}

MainWindow::~MainWindow() = default;

INT_PTR MainWindow::runModal()
{
    return Dialog::runModal(IDD_MAIN, nullptr);
}

// Dialog procedures answer through their result for the WM_CTLCOLOR family;
// other results go through DWLP_MSGRESULT where the message needs one.
INT_PTR MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if (LOWORD(wParam) == IDM_ABOUTBOX || LOWORD(wParam) == IDM_HELP_SYSTEM) {
            onSysCommand(wParam);
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        onTimer(wParam);
        return TRUE;
    case WM_NOTIFY: {
        LRESULT answer = onNotify(*reinterpret_cast<NMHDR*>(lParam));
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != resultList_.hwnd())
            return FALSE;
        resultMenu_.show(window_, resultList_.hwnd(), lParam, rowsMayChange());
        return TRUE;
    case WM_INITMENUPOPUP:
        onInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return FALSE;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, onEraseBackground(reinterpret_cast<HDC>(wParam)));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return onCtlColorStatic(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        return onPaintMinimised() ? TRUE : FALSE;
    case WM_SIZE:
        onSize();
        return TRUE;
    case WM_SIZING:
        onSizing(wParam, *reinterpret_cast<RECT*>(lParam));
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DESTROY:
        scanCommands_.onDestroy();
        return FALSE;
    case WM_SCAN_STATE:
        scanCommands_.onScanState(static_cast<UiState>(lParam));
        return TRUE;
    case WM_SCAN_UNUSED:   // reserved
        return TRUE;
    case WM_FOUND_REGKEY:
    case WM_FOUND_REGVALUE:
    case WM_FOUND_FILE:
    case WM_FOUND_FOLDER:
    case WM_FOUND_COOKIE:
        scanCommands_.onFound(message, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

INT_PTR MainWindow::onInitDialog(HWND dialog)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    extendSystemMenu();

    bigIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_KESTRUNE),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_KESTRUNE),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    startedAtStartup_ = isStartupArgument(commandLineArguments(GetCommandLineA()));

    statusFont_.reset(CreateFontA(12, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, "MS Sans Serif"));
    SendDlgItemMessageA(window_, IDC_STATUS_LINE, WM_SETFONT,
                        reinterpret_cast<WPARAM>(statusFont_.get()), TRUE);
    SetDlgItemTextA(window_, IDC_STATUS_LINE, "Prepared to start scanning!");

    attachImageButtons();
    background_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    whiteBrush_.reset(CreateSolidBrush(RGB(255, 255, 255)));

    SetWindowTextA(window_, kWindowTitle);
    keepSystemModalOnTop(window_);
    BringWindowToTop(window_);

    resultList_.attach(GetDlgItem(window_, IDC_RESULT_LIST));
    scanCommands_.setUpResultList();
    // The template's placeholder counters give way to the (empty) counters.
    scanCommands_.showBoundTexts();

    repairReferenceFile(*this);
    listReady_ = true;

    statusAreaIcon_.attach(window_, IDI_KESTRUNE, kWindowTitle, IDR_TRAY_MENU,
                           ClickMode::MenuOnBoth);
    SetTimer(window_, IDT_STARTUP, options_.startupTimerMs, nullptr);

    recordLayouts();
    onSize();
    return TRUE;
}

void MainWindow::extendSystemMenu()
{
    std::string aboutText = loadResourceString(IDS_ABOUTBOX);
    if (aboutText.empty())
        return;
    HMENU systemMenu = GetSystemMenu(window_, FALSE);
    if (systemMenu == nullptr)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    helpMenuBitmap_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(IDB_MENU_HELP), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    aboutMenuBitmap_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(IDB_MENU_ABOUT), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_HELP_SYSTEM, "Help...");
    SetMenuItemBitmaps(systemMenu, IDM_HELP_SYSTEM, MF_BYCOMMAND, helpMenuBitmap_.get(),
                       helpMenuBitmap_.get());
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
    SetMenuItemBitmaps(systemMenu, IDM_ABOUTBOX, MF_BYCOMMAND, aboutMenuBitmap_.get(),
                       aboutMenuBitmap_.get());
}

void MainWindow::attachImageButtons()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    scanButton_.attach(window_, IDC_SCAN, instance, IDB_SCAN_NORMAL, IDB_SCAN_HOT);
    folderScanButton_.attach(window_, IDC_SCAN_FOLDER, instance, IDB_FOLDER_SCAN_NORMAL,
                             IDB_FOLDER_SCAN_HOT);
    stopButton_.attach(window_, IDC_STOP_SCAN, instance, IDB_STOP_NORMAL, IDB_STOP_HOT);
    updateButton_.attach(window_, IDC_UPDATE, instance, IDB_UPDATE_NORMAL, IDB_UPDATE_HOT);
    deleteButton_.attach(window_, IDC_DELETE, instance, IDB_DELETE_NORMAL, IDB_DELETE_HOT);
}

void MainWindow::setUiState(UiState state)
{
    uiState_ = applyUiState(window_, state);
}

bool MainWindow::scanThreadRunning() const
{
    return !scanCommands_.life().mayReloadDefinitions();
}

bool MainWindow::runLoadingDialog()
{
    LoadingDialog dialog;
    dialog.setParasiteList(&parasites_);
    dialog.setTimings(options_.loadingTimings);
    const bool loaded = dialog.run() == IDOK;
    // The list's records are new (or gone): no find may point into them.
    scanCommands_.forgetFinds();
    return loaded;
}

bool MainWindow::runPreferencesDialog()
{
    PreferencesDialog dialog(*boxes_);
    return dialog.run(window_) == IDOK;
}

void MainWindow::endWindow(int result)
{
    EndDialog(window_, result);
}

// The window's run ends once control is back in its own message loop; an
// update under way is ended first, so that it asks nothing more.
void MainWindow::close(int result)
{
    closing_ = true;
    if (update_ != nullptr)
        update_->cancel();
    EndDialog(window_, result);
}

void MainWindow::showFromNotificationArea()
{
    statusAreaIcon_.setIconState(false, true);
}

// The Yes to the end-of-scan delete offer runs what "DELETE PARASITES" runs.
void MainWindow::runRemoveCommand()
{
    removal_.removeCommand();
}

// A scan is refused while the removal flow runs: its questions have no
// owner, and a scan started under one would take the list from it.
bool MainWindow::removalUnderWay() const
{
    return removal_.busy();
}

void MainWindow::onCommand(int id)
{
    switch (id) {
    case IDC_SCAN:
    case ID_TRAY_SCAN:
        scanCommands_.startScan();
        break;
    case IDC_SCAN_FOLDER:
    case ID_TRAY_SCAN_FOLDER:
        scanCommands_.startFolderScan();
        break;
    case IDC_STOP_SCAN:
        scanCommands_.stopScan();
        break;
    case IDC_UPDATE:
        runUpdate(*this);
        break;
    case IDC_DELETE:
        removal_.removeCommand();
        break;
    case ID_SETTINGS_PREFERENCES:
    case ID_TRAY_PREFERENCES:
        onPreferencesCommand();
        break;
    case ID_HELP_ABOUT:
    case ID_TRAY_ABOUT:
        onAboutCommand();
        break;
    case ID_HELP_HELP:
        onHelpCommand(SW_SHOWMAXIMIZED);
        break;
    case ID_TRAY_SHOW:
        onShowCommand();
        break;
    case ID_FILE_RESTORE:
        onRestoreCommand();
        break;
    case ID_FILE_SAVE_REPORT:
        onSaveReportCommand();
        break;
    case ID_RESULT_IGNORE:
    case ID_RESULT_OPEN_FOLDER:
    case ID_RESULT_COPY_LOCATION:
        resultMenu_.onCommand(window_, id, rowsMayChange());
        break;
    case ID_FILE_EXIT:
    case ID_TRAY_EXIT:
    case IDOK:
        close(IDOK);
        break;
    case IDCANCEL:
        close(IDCANCEL);
        break;
    }
}

void MainWindow::onSysCommand(WPARAM wParam)
{
    if (LOWORD(wParam) == IDM_ABOUTBOX)
        onAboutCommand();
    else
        onHelpCommand(SW_SHOWNORMAL);
}

void MainWindow::onRestoreCommand()
{
    // A restore waits for nothing a scan, removal or update is doing; it is
    // not started while one runs.
    if (!scanCommands_.life().mayRestore(uiState_, removal_.busy())) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    RestoreDialog dialog(*boxes_, ProtectedPlaces::forThisMachine(ownPlacesFromSettings()),
                         RestorePlaces{archiveFolderPaths(), logFolder(), cookiesFolder()});
    dialog.run(window_);
}

bool MainWindow::rowsMayChange() const
{
    return scanCommands_.life().rowsMayChange(uiState_, removal_.busy());
}

// "Save Report..." is offered once a scan has ended, while its rows are listed.
void MainWindow::onInitMenuPopup(HMENU menu)
{
    EnableMenuItem(menu, ID_FILE_SAVE_REPORT,
                   MF_BYCOMMAND | (scanCommands_.reportReady() ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::onSaveReportCommand()
{
    if (!scanCommands_.reportReady()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    saveScanReport(window_, *boxes_, scanCommands_.scanReport());
}

void MainWindow::onPreferencesCommand()
{
    // Closing Preferences puts back the state it found, so a scan, backup or
    // removal that runs meanwhile keeps its buttons disabled. When that work
    // ended while the dialog was open, its flow has set the state already.
    const UiState before = uiState_;
    setUiState(UiState::InPreferences);
    PreferencesDialog dialog(*boxes_);
    dialog.run(window_);
    if (uiState_ == UiState::InPreferences)
        setUiState(before);
}

void MainWindow::onAboutCommand()
{
    AboutDialog dialog;
    dialog.run(window_);
}

void MainWindow::onHelpCommand(int showMode)
{
    openUrl(helpPageUrl(), showMode);
}

void MainWindow::onShowCommand()
{
    statusAreaIcon_.setIconState(false, true);
}

void MainWindow::onTimer(UINT_PTR id)
{
    if (id == IDT_STARTUP)
        onStartupTimer();
    else if (id == IDT_STARTUP_SCAN)
        scanCommands_.onStartupScanTimer();
    else
        scanCommands_.onTimer(id);
}

void MainWindow::onStartupTimer()
{
    LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    SetWindowLongPtrA(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(DS_SYSMODAL | DS_SETFOREGROUND));
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    KillTimer(window_, IDT_STARTUP);
    if (firstRun_)
        offerFirstRunUpdate(*this);
    SetTimer(window_, IDT_STARTUP_SCAN, options_.startupScanTimerMs, nullptr);
}

INT_PTR MainWindow::onNotify(NMHDR& header)
{
    if (header.idFrom != static_cast<UINT_PTR>(IDC_RESULT_LIST))
        return 0;
    if (header.code == LVN_ITEMCHANGED) {
        scanCommands_.onItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
        return 0;
    }
    LRESULT answer = 0;
    resultList_.onNotify(header, answer);
    return answer;
}

void MainWindow::onDrawItem(const DRAWITEMSTRUCT& item)
{
    switch (item.CtlID) {
    case IDC_SCAN:
        scanButton_.draw(item);
        break;
    case IDC_SCAN_FOLDER:
        folderScanButton_.draw(item);
        break;
    case IDC_STOP_SCAN:
        stopButton_.draw(item);
        break;
    case IDC_UPDATE:
        updateButton_.draw(item);
        break;
    case IDC_DELETE:
        deleteButton_.draw(item);
        break;
    }
}

BOOL MainWindow::onEraseBackground(HDC dc)
{
    RECT client = {};
    GetClientRect(window_, &client);
    ScopedBrush fill(CreateSolidBrush(kBackgroundColour));
    FillRect(dc, &client, fill.get());
    if (background_.valid()) {
        BITMAP info = {};
        GetObjectA(background_.get(), sizeof info, &info);
        ScopedMemoryDC memory(dc);
        if (memory.valid()) {
            ScopedSelection selected(memory.get(), background_.get());
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
        }
    }
    return TRUE;
}

INT_PTR MainWindow::onCtlColorStatic(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(whiteBrush_.get());
}

bool MainWindow::onPaintMinimised()
{
    if (!IsIconic(window_))
        return false;
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window_, &paint);
    SIZE size = clientSize(window_);
    int x = (size.cx - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (size.cy - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, bigIcon_);
    EndPaint(window_, &paint);
    return true;
}

void MainWindow::recordLayouts()
{
    struct Rule {
        int id;
        Anchor horizontal;
        Anchor vertical;
    };
    const Rule rules[] = {
        {IDC_SCAN, Anchor::Fixed, Anchor::Fixed},
        {IDC_SCAN_FOLDER, Anchor::Fixed, Anchor::Fixed},
        {IDC_DELETE, Anchor::Fixed, Anchor::Fixed},
        {IDC_UPDATE, Anchor::FarEdge, Anchor::Fixed},
        {IDC_STATUS_LINE, Anchor::Stretch, Anchor::Fixed},
        {IDC_RESULT_LIST, Anchor::Stretch, Anchor::Stretch},
        {IDC_STOP_SCAN, Anchor::FarEdge, Anchor::FarEdge},
    };
    SIZE size = clientSize(window_);
    layouts_.clear();
    for (const Rule& rule : rules) {
        HWND control = GetDlgItem(window_, rule.id);
        if (control == nullptr)
            continue;
        RECT rect = {};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        ControlLayout layout;
        layout.id = rule.id;
        layout.horizontal = rule.horizontal;
        layout.vertical = rule.vertical;
        recordLayout(layout, rect, size);
        layouts_.push_back(layout);
    }
}

void MainWindow::onSize()
{
    if (window_ == nullptr || GetWindow(window_, GW_CHILD) == nullptr || IsIconic(window_))
        return;
    SIZE size = clientSize(window_);
    for (const ControlLayout& layout : layouts_) {
        RECT r = placeControl(layout, size);
        MoveWindow(GetDlgItem(window_, layout.id), r.left, r.top, r.right - r.left,
                   r.bottom - r.top, FALSE);
    }
    if (!layouts_.empty()) {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }
    if (listReady_)
        fitTypeColumn();
}

// The "Type" column takes what the list's client area leaves beside the
// other three, so that "Danger" stays in view at every window size. (A fixed
// margin of 254 pixels made "Type" so wide that "Danger" was pushed out of
// view.)
void MainWindow::fitTypeColumn()
{
    HWND list = GetDlgItem(window_, IDC_RESULT_LIST);
    RECT listClient = {};
    GetClientRect(list, &listClient);
    int others = 0;
    for (int column : {0, 1, 3})
        others += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    int width = listClient.right - others;
    if (width < kMinimumTypeColumnWidth)
        width = kMinimumTypeColumnWidth;
    SendMessageA(list, LVM_SETCOLUMNWIDTH, kTypeColumn, MAKELPARAM(width, 0));
}

void MainWindow::onSizing(WPARAM edge, RECT& rect)
{
    enforceMinimumSize(rect, edge, kMinimumWidth, kMinimumHeight);
}

}  // namespace kestrune
