// MainWindow: initialisation, commands, timers, painting and layout.
#include "app/main_window.h"

#include "app/about_dialog.h"
#include "app/command_line.h"
#include "app/open_url.h"
#include "app/preferences_dialog.h"
#include "app/reference_update.h"
#include "platform/resource_strings.h"
#include "ui/system_modal.h"
#include "update/update_server.h"

#include <commctrl.h>

namespace kestrune {

const char kWindowTitle[] = "Kestrune v2.01";

namespace {

const int kMainDialogId = 102;
const int kIconId = 128;
const int kTrayMenuId = 146;
const int kBackgroundBitmap = 180;
const int kAboutMenuBitmap = 152;
const int kHelpMenuBitmap = 153;
const unsigned kAboutBoxStringId = 101;

const int kScanId = 1001;
const int kFolderScanId = 1002;
const int kDeleteId = 1003;
const int kUpdateId = 1009;
const int kStatusLineId = 1038;
const int kResultListId = 1039;
const int kStopScanId = 1041;

const int kSysMenuAbout = 16;
const int kSysMenuHelp = 105;
const int kMenuExit = 32783;
const int kMenuPreferences = 32784;
const int kMenuAbout = 32785;
const int kMenuHelp = 32787;
const int kTrayExit = 32771;
const int kTrayPreferences = 32772;
const int kTrayScan = 32774;
const int kTrayAbout = 32778;
const int kTrayShow = 32781;
const int kTrayScanFolder = 32782;

const UINT_PTR kStartupTimer = 101;

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
    return Dialog::runModal(kMainDialogId, nullptr);
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
        if (LOWORD(wParam) == kSysMenuAbout || LOWORD(wParam) == kSysMenuHelp) {
            onSysCommand(wParam);
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        onTimer(wParam);
        return TRUE;
    case WM_NOTIFY: {
        LRESULT answer = onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        SetWindowLongPtrA(window_, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
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
    case WM_SCAN_UNUSED:
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
    window_ = dialog;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    extendSystemMenu();

    bigIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    startedAtStartup_ = isStartupArgument(commandLineArguments(GetCommandLineA()));

    statusFont_.reset(CreateFontA(12, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, "MS Sans Serif"));
    SendDlgItemMessageA(window_, kStatusLineId, WM_SETFONT,
                        reinterpret_cast<WPARAM>(statusFont_.get()), TRUE);
    SetDlgItemTextA(window_, kStatusLineId, "Prepared to start scanning!");

    attachImageButtons();
    background_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(kBackgroundBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    whiteBrush_.reset(CreateSolidBrush(RGB(255, 255, 255)));

    SetWindowTextA(window_, kWindowTitle);
    keepSystemModalOnTop(window_);
    BringWindowToTop(window_);

    resultList_.attach(GetDlgItem(window_, kResultListId));
    scanCommands_.setUpResultList();
    // The template's placeholder counters give way to the (empty) counters.
    scanCommands_.showBoundTexts();

    repairReferenceFile(*this);
    listReady_ = true;

    statusAreaIcon_.attach(window_, kIconId, kWindowTitle, kTrayMenuId, 2);
    SetTimer(window_, kStartupTimer, options_.startupTimerMs, nullptr);

    recordLayouts();
    onSize();
    return TRUE;
}

void MainWindow::extendSystemMenu()
{
    std::string aboutText = loadResourceString(kAboutBoxStringId);
    if (aboutText.empty())
        return;
    HMENU systemMenu = GetSystemMenu(window_, FALSE);
    if (systemMenu == nullptr)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    helpMenuBitmap_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(kHelpMenuBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    aboutMenuBitmap_.reset(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(kAboutMenuBitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, kSysMenuHelp, "Help...");
    SetMenuItemBitmaps(systemMenu, kSysMenuHelp, MF_BYCOMMAND, helpMenuBitmap_.get(),
                       helpMenuBitmap_.get());
    AppendMenuA(systemMenu, MF_STRING, kSysMenuAbout, aboutText.c_str());
    SetMenuItemBitmaps(systemMenu, kSysMenuAbout, MF_BYCOMMAND, aboutMenuBitmap_.get(),
                       aboutMenuBitmap_.get());
}

void MainWindow::attachImageButtons()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    scanButton_.attach(window_, kScanId, instance, 193, 194);
    folderScanButton_.attach(window_, kFolderScanId, instance, 198, 197);
    stopButton_.attach(window_, kStopScanId, instance, 200, 199);
    updateButton_.attach(window_, kUpdateId, instance, 202, 201);
    deleteButton_.attach(window_, kDeleteId, instance, 196, 195);
}

void MainWindow::setUiState(UiState state)
{
    uiState_ = applyUiState(window_, state);
}

bool MainWindow::scanThreadRunning() const
{
    return scanCommands_.scanThreadRunning();
}

bool MainWindow::runLoadingDialog()
{
    LoadingDialog dialog;
    dialog.setParasiteList(&parasites_);
    dialog.setTimings(options_.loadingTimings);
    return dialog.run() == IDOK;
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
    case kScanId:
    case kTrayScan:
        scanCommands_.startScan();
        break;
    case kFolderScanId:
    case kTrayScanFolder:
        scanCommands_.startFolderScan();
        break;
    case kStopScanId:
        scanCommands_.stopScan();
        break;
    case kUpdateId:
        runUpdate(*this);
        break;
    case kDeleteId:
        removal_.removeCommand();
        break;
    case kMenuPreferences:
    case kTrayPreferences:
        onPreferencesCommand();
        break;
    case kMenuAbout:
    case kTrayAbout:
        onAboutCommand();
        break;
    case kMenuHelp:
        onHelpCommand(SW_SHOWMAXIMIZED);
        break;
    case kTrayShow:
        onShowCommand();
        break;
    case kMenuExit:
    case kTrayExit:
    case IDOK:
        EndDialog(window_, IDOK);
        break;
    case IDCANCEL:
        EndDialog(window_, IDCANCEL);
        break;
    }
}

void MainWindow::onSysCommand(WPARAM wParam)
{
    if (LOWORD(wParam) == kSysMenuAbout)
        onAboutCommand();
    else
        onHelpCommand(SW_SHOWNORMAL);
}

void MainWindow::onPreferencesCommand()
{
    // Closing Preferences puts back the state it found, so a scan, backup or
    // removal that runs meanwhile keeps its buttons disabled. When that work
    // ended while the dialog was open, its flow has set the state already.
    const UiState before = uiState_;
    setUiState(InPreferences);
    PreferencesDialog dialog(*boxes_);
    dialog.run(window_);
    if (uiState_ == InPreferences)
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
    if (id == kStartupTimer)
        onStartupTimer();
    else if (id == ScanCommands::kStartupScanTimer)
        scanCommands_.onStartupScanTimer();
    else
        scanCommands_.onTimer(id);
}

void MainWindow::onStartupTimer()
{
    LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    SetWindowLongPtrA(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(DS_SYSMODAL | DS_SETFOREGROUND));
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    KillTimer(window_, kStartupTimer);
    if (firstRun_)
        offerFirstRunUpdate(*this);
    SetTimer(window_, ScanCommands::kStartupScanTimer, options_.startupScanTimerMs, nullptr);
}

INT_PTR MainWindow::onNotify(const NMHDR& header)
{
    if (header.idFrom != static_cast<UINT_PTR>(kResultListId))
        return 0;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return resultList_.onCustomDraw(
            *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        resultList_.onItemChanged(change);
        scanCommands_.onItemChanged(change);
        return 0;
    }
    case LVN_COLUMNCLICK:
        resultList_.onColumnClick(reinterpret_cast<const NMLISTVIEW&>(header));
        return 0;
    }
    return 0;
}

void MainWindow::onDrawItem(const DRAWITEMSTRUCT& item)
{
    switch (item.CtlID) {
    case kScanId:
        scanButton_.draw(item);
        break;
    case kFolderScanId:
        folderScanButton_.draw(item);
        break;
    case kStopScanId:
        stopButton_.draw(item);
        break;
    case kUpdateId:
        updateButton_.draw(item);
        break;
    case kDeleteId:
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
        {kScanId, Anchor::Fixed, Anchor::Fixed},
        {kFolderScanId, Anchor::Fixed, Anchor::Fixed},
        {kDeleteId, Anchor::Fixed, Anchor::Fixed},
        {kUpdateId, Anchor::FarEdge, Anchor::Fixed},
        {kStatusLineId, Anchor::Stretch, Anchor::Fixed},
        {kResultListId, Anchor::Stretch, Anchor::Stretch},
        {kStopScanId, Anchor::FarEdge, Anchor::FarEdge},
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
    HWND list = GetDlgItem(window_, kResultListId);
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
