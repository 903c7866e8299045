// The scan side of the main window, driven on a stand-in window with the real
// list, status and counter controls: the commands and their guards, the rows
// and counters that the finds produce, the end-of-scan dialogue (also after a
// failure), the refresh of the progress texts, IDT_STARTUP_SCAN and the end
// of the thread when the window goes.
#include "app/scan_commands.h"

#include "app/window_messages.h"
#include "app/ui_state.h"
#include "removal/reboot_pending.h"
#include "scan/stop_request.h"
#include "settings/settings_store.h"
#include "ui/owner_data_check_list.h"

#include "support/definitions_builder.h"
#include "support/scripted_message_boxes.h"
#include "support/test_files.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>

using namespace kestrune;
using namespace kestrune::testing_support;

namespace {

std::string controlText(HWND window, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// A stand-in for the main window: the controls the scan side uses, and the
// dispatch of the scan messages, timers and list notifications.
class TestWindow : public ScanHost {
public:
    TestWindow() : commands(*this, list)
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&init);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestruneScanTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "scan test", WS_OVERLAPPEDWINDOW, 0, 0,
                                  700, 400, nullptr, nullptr, wc.hInstance, this);
        HWND listWindow = CreateWindowExA(
            0, WC_LISTVIEWA, "",
            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
            5, 5, 500, 200, window_, reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
        list.attach(listWindow);
        const int statics[] = {IDC_STATUS_LINE,    IDC_ITEMS_SCANNED, IDC_MEMORY_COUNT,
                               IDC_REGISTRY_COUNT, IDC_COOKIES_COUNT, IDC_FILES_COUNT};
        for (int id : statics)
            CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0,
                        10, 10, window_, reinterpret_cast<HMENU>(IDC_DESCRIPTION), nullptr,
                        nullptr);
        commands.setUpResultList();
    }
    ~TestWindow() override
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
    }

    // ScanHost
    HWND window() const override { return window_; }
    MessageBoxes& messageBoxes() override { return boxes; }
    ParasiteList& parasiteList() override { return parasites; }
    UiState uiState() const override { return uiState_; }
    void setUiState(UiState state) override
    {
        states.push_back(static_cast<int>(state));
        uiState_ = state == UiState::ScanFinished ? UiState::Idle : state;
    }
    bool startedFromRunEntry() const override { return startedAtStartup; }
    void showFromNotificationArea() override { ++shownFromTray; }
    void runRemoveCommand() override { ++removeCommands; }
    bool removalUnderWay() const override { return false; }

    std::string text(int id) const { return controlText(window_, id); }

    // Handles messages until `done` holds or `ms` have passed; true when it
    // holds.
    bool pumpUntil(const std::function<bool()>& done, DWORD ms = 20000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done())
                return true;
            if (GetTickCount() - start >= ms)
                return false;
            Sleep(1);
        }
    }
    bool pumpUntilScanEnds() { return pumpUntil([this] { return !commands.scanActive(); }); }
    void pumpFor(DWORD ms)
    {
        pumpUntil([] { return false; }, ms);
    }

    ScriptedMessageBoxes boxes;
    ParasiteList parasites;
    OwnerDataCheckList list;
    bool startedAtStartup = false;
    std::vector<int> states;
    int shownFromTray = 0;
    int removeCommands = 0;
    ScanCommands commands;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_SCAN_STATE) {
            self->commands.onScanState(static_cast<UiState>(lParam));
            return 0;
        }
        if (isFoundMessage(message)) {
            self->commands.onFound(message, wParam, lParam);
            return 0;
        }
        if (message == WM_TIMER) {
            if (wParam == IDT_STARTUP_SCAN)
                self->commands.onStartupScanTimer();
            else
                self->commands.onTimer(wParam);
            return 0;
        }
        if (message == WM_NOTIFY) {
            NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
            LRESULT answer = 0;
            if (header->idFrom == IDC_RESULT_LIST && header->code == LVN_ITEMCHANGED)
                self->commands.onItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
            else if (header->idFrom == IDC_RESULT_LIST)
                self->list.onNotify(*header, answer);
            return answer;
        }
        if (message == WM_DESTROY)
            self->commands.onDestroy();
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    UiState uiState_ = UiState::Idle;
};

const char kTestKey[] = "Software\\KestruneWindowTest";

class ScanWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        stopRequested = false;
        deleteUserKeyTree(kTestKey);
        makeUserKey(std::string(kTestKey) + "\\Evil");
        setUserValue(kTestKey, "Run", "evil.exe");
        dir = freshFolder();
        places.cookiesFolder = dir + "\\cookies";
        places.windowsFolder = dir + "\\win";
        makeFile(places.cookiesFolder + "\\root@evil.txt");
        makeFile(dir + "\\evil.dll");
        makeFile(places.windowsFolder + "\\EvilDir\\inside.txt");
        w.commands.setScanPlaces(places);
    }
    void TearDown() override { stopRequested = false; }

    // Alpha: key, value, cookie (and its own cookie), file, pending folder;
    // Beta: a key under a hive guessed through the fallback; Gamma nothing.
    void defineParasites()
    {
        Parasite& alpha = addParasite(w.parasites, "Alpha", 2, "Alpha shows ads.");
        addKey(alpha, "HKEY_CURRENT_USER", kTestKey, "Evil");
        addValue(alpha, "HKEY_CURRENT_USER", kTestKey, "Run");
        addCookie(alpha, "evil");
        addFile(alpha, "evil.dll", dir);
        addFolder(alpha, "EvilDir", "");
        Parasite& beta = addParasite(w.parasites, "Beta", -1, "Beta tracks you.");
        addKey(beta, "HKCU", kTestKey, "Evil");
        addParasite(w.parasites, "Gamma", 0);
    }

    std::vector<std::string> row(int r)
    {
        std::vector<std::string> cells;
        for (int c = 0; c < 4; ++c)
            cells.push_back(w.list.cellText(r, c));
        return cells;
    }

    TestWindow w;
    std::string dir;
    ScanPlaces places;
};

}  // namespace

TEST(ResultListLooks, ColumnsWidthsAndStyles)
{
    TestWindow w;
    HWND list = w.list.hwnd();
    HWND header = ListView_GetHeader(list);
    ASSERT_EQ(4, static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)));
    const char* headers[] = {"Parasite", "Location", "Type", "Danger"};
    // The list is 500 pixels wide: 498 * 15/64, 25/64, 10/64, the rest - 2.
    const int widths[] = {116, 194, 77, 109};
    for (int c = 0; c < 4; ++c) {
        char text[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(headers[c], text);
        EXPECT_EQ(widths[c], column.cx) << c;
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
        EXPECT_EQ(widths[c], resultColumnWidth(500, c));
    }
    const DWORD styles = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(0x28u, styles & 0x28u);
    EXPECT_EQ(RGB(0, 0, 0), static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)));
    EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)));
}

TEST(ResultTexts, DangerNamesCountersAndOffer)
{
    struct {
        int level;
        const char* name;
    } dangers[] = {{0, "Not Critical"}, {1, "Dangerous"}, {2, "Severe"}, {3, ""}, {-1, ""}};
    for (const auto& d : dangers)
        EXPECT_EQ(d.name, dangerName(d.level)) << d.level;

    EXPECT_EQ(Counter::Registry, counterOf(ItemKind::RegistryKey));
    EXPECT_EQ(Counter::Registry, counterOf(ItemKind::RegistryValue));
    EXPECT_EQ(Counter::Cookies, counterOf(ItemKind::Cookie));
    EXPECT_EQ(Counter::Files, counterOf(ItemKind::File));
    EXPECT_EQ(Counter::None, counterOf(ItemKind::Folder));

    EXPECT_EQ("Kestrune Detected 3 Parasites, Do you want Kestrune to Delete all Detected "
              "Parasites?",
              deleteOfferText(3));
    for (ItemKind kind : {ItemKind::RegistryKey, ItemKind::RegistryValue, ItemKind::File,
                          ItemKind::Folder, ItemKind::Cookie})
        EXPECT_EQ(kind, foundKind(foundMessage(kind)));
    EXPECT_EQ(3004u, foundMessage(ItemKind::RegistryKey));
    EXPECT_EQ(3008u, foundMessage(ItemKind::Cookie));
}

TEST_F(ScanWindow, AFullScanFillsRowsCountersAndAsksAtTheEnd)
{
    defineParasites();
    rebootPending = true;
    w.boxes.answer(IDNO);   // "Alert!": keep the browsers
    w.boxes.answer(IDOK);   // "Scan Completed Successfully"
    w.boxes.answer(IDNO);   // keep the rows
    w.commands.startScan();
    EXPECT_FALSE(rebootPending);
    EXPECT_TRUE(w.commands.scanning());
    EXPECT_EQ("0", w.text(IDC_MEMORY_COUNT));
    ASSERT_TRUE(w.pumpUntilScanEnds());

    const std::string k = kTestKey;
    const std::vector<std::vector<std::string>> expected = {
        {"Alpha", "HKEY_CURRENT_USER\\" + k + "\\Evil", "RegKey", "Severe"},
        {"Beta", "HKCU\\" + k + "\\Evil", "RegKey", ""},
        {"Alpha", "HKEY_CURRENT_USER\\" + k + " : Run", "RegValue", "Severe"},
        {"Alpha", "evil", "Cookie", "Severe"},
        {"Alpha", dir + "\\evil.dll", "File", "Severe"},
        {"Alpha", places.windowsFolder + "\\EvilDir", "Folder", "Severe"},
    };
    ASSERT_EQ(static_cast<int>(expected.size()), w.list.rowCount());
    for (int r = 0; r < w.list.rowCount(); ++r) {
        EXPECT_EQ(expected[r], row(r)) << r;
        EXPECT_TRUE(w.list.isChecked(r));
        EXPECT_EQ(kRowTextColour, w.list.cellTextColour(r, 0));
        EXPECT_EQ(kRowTextColour, w.list.cellTextColour(r, 1));
        EXPECT_EQ(kRowTextColour, w.list.cellTextColour(r, 2));
        EXPECT_EQ(kDangerTextColour, w.list.cellTextColour(r, 3));
    }
    EXPECT_EQ(1, w.list.rowData(1));
    EXPECT_EQ(6, w.commands.resultRowCount());

    // Registry 3, cookies 1, files 1; the folder counts nowhere.
    EXPECT_EQ(3, w.commands.counts().registry);
    EXPECT_EQ("0", w.text(IDC_MEMORY_COUNT));
    EXPECT_EQ("3", w.text(IDC_REGISTRY_COUNT));
    EXPECT_EQ("1", w.text(IDC_COOKIES_COUNT));
    EXPECT_EQ("1", w.text(IDC_FILES_COUNT));
    EXPECT_EQ("Scan Completed", w.text(IDC_STATUS_LINE));
    EXPECT_NE("0", w.text(IDC_ITEMS_SCANNED));

    ASSERT_EQ(3u, w.boxes.shown().size());
    EXPECT_EQ("Alert!", w.boxes.shown()[0].caption);
    const ShownMessage& end = w.boxes.shown()[1];
    EXPECT_EQ(w.window(), end.owner);
    EXPECT_EQ("Scan Completed Successfully", end.text);
    EXPECT_EQ("Kestrune Scan", end.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), end.style);
    const ShownMessage& offer = w.boxes.shown()[2];
    EXPECT_EQ(w.window(), offer.owner);
    EXPECT_EQ(deleteOfferText(6), offer.text);
    EXPECT_EQ("Kestrune v2.01", offer.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), offer.style);
    EXPECT_EQ(0, w.removeCommands);
    EXPECT_EQ((std::vector<int>{static_cast<int>(UiState::Scanning),
                                static_cast<int>(UiState::ScanFinished)}),
              w.states);
    EXPECT_EQ(UiState::Idle, w.uiState());
    EXPECT_FALSE(w.commands.scanning());

    // The removal gets exactly the items behind the checked rows.
    w.list.setChecked(1, false);
    std::vector<Find> checked = w.commands.checkedFinds();
    ASSERT_EQ(5u, checked.size());
    EXPECT_EQ(ItemKind::RegistryValue, checked[1].kind);
    EXPECT_EQ(0, checked[1].parasiteIndex);
    EXPECT_EQ(ItemKind::Folder, checked[4].kind);
    EXPECT_EQ(0, checked[4].itemIndex);

    // The refresh has ended: what is written now stays.
    SetDlgItemTextA(w.window(), IDC_STATUS_LINE, "written by the removal");
    w.pumpFor(200);
    EXPECT_EQ("written by the removal", w.text(IDC_STATUS_LINE));
}

TEST_F(ScanWindow, YesToTheOfferRunsTheRemoveCommand)
{
    defineParasites();
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDYES);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ(1, w.removeCommands);
    EXPECT_EQ(0, w.boxes.unexpected());
}

TEST_F(ScanWindow, NothingFoundEndsWithoutAQuestion)
{
    addParasite(w.parasites, "Absent");
    addFile(*w.parasites.at(0), "absent.dll", dir);
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    w.pumpFor(50);
    EXPECT_EQ((std::vector<std::string>{"Alert!", "Kestrune Scan"}), w.boxes.captions());
    EXPECT_EQ("Scan Completed Successfully", w.boxes.shown()[1].text);
    EXPECT_EQ(0, w.list.rowCount());
    EXPECT_EQ("0", w.text(IDC_FILES_COUNT));
}

TEST_F(ScanWindow, StopQuestionAndStoppedScan)
{
    defineParasites();
    // No scan: nothing is asked.
    w.commands.stopScan();
    EXPECT_TRUE(w.boxes.shown().empty());

    // Declined: the scan completes.
    w.boxes.answer(IDNO);   // Alert!
    w.boxes.answer(IDNO);   // stop? no
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    w.commands.stopScan();
    EXPECT_TRUE(w.commands.scanning());
    ASSERT_TRUE(w.pumpUntilScanEnds());
    ASSERT_GE(w.boxes.shown().size(), 3u);
    const ShownMessage& question = w.boxes.shown()[1];
    EXPECT_EQ(nullptr, question.owner);
    EXPECT_EQ("Are you sure you want to stop scanning?", question.text);
    EXPECT_EQ("Confirmation!", question.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST),
              question.style);
    EXPECT_EQ("Scan Completed Successfully", w.boxes.shown()[2].text);

    // Confirmed at once, before the thread could do much: the stop holds.
    ScriptedMessageBoxes& boxes = w.boxes;
    const size_t before = boxes.shown().size();
    boxes.answer(IDNO);    // Alert!
    boxes.answer(IDYES);   // stop
    boxes.answer(IDOK);    // "Scan Stopped"
    boxes.answer(IDNO);    // the offer, if there are rows
    w.commands.startScan();
    w.commands.stopScan();
    EXPECT_TRUE(stopRequested);
    EXPECT_FALSE(w.commands.scanning());
    EXPECT_TRUE(w.commands.scanStopped());
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ("Scan Stopped", boxes.shown()[before + 2].text);
    EXPECT_FALSE(w.commands.scanStopped());
    EXPECT_EQ("Scan Completed", w.text(IDC_STATUS_LINE));
    EXPECT_EQ(UiState::Idle, w.uiState());
    // The offer follows only when rows came in before the stop.
    EXPECT_EQ(w.list.rowCount() > 0 ? before + 4 : before + 3, boxes.shown().size());
}

TEST_F(ScanWindow, ASecondStartIsRefusedUntilTheThreadHasEnded)
{
    defineParasites();
    // While the "Alert!" question of the first start is open, both start
    // commands come again (its box has no owner).
    int reentered = 0;
    w.boxes.whileOpen = [&](const std::string& caption) {
        if (caption == "Alert!" && reentered++ == 0) {
            w.commands.startScan();
            w.commands.startFolderScan();
        }
    };
    int picks = 0;
    w.commands.setFolderPicker([&] {
        ++picks;
        return dir;
    });
    w.boxes.answer(IDNO);
    w.commands.startScan();
    EXPECT_EQ(0, picks);
    EXPECT_EQ(1u, w.boxes.shown().size());
    ASSERT_TRUE(w.commands.scanActive());

    // While the thread runs, also after Preferences has put the state back to
    // idle and after a confirmed stop.
    w.setUiState(UiState::Idle);
    w.commands.startScan();
    w.commands.startFolderScan();
    w.boxes.answer(IDYES);
    w.commands.stopScan();
    w.commands.startScan();
    EXPECT_EQ(0, picks);
    EXPECT_EQ((std::vector<std::string>{"Alert!", "Confirmation!"}), w.boxes.captions());

    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ(0, w.boxes.unexpected());
    // Once the end was handled, a scan starts again.
    w.boxes.whileOpen = nullptr;
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    EXPECT_TRUE(w.commands.scanActive());
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ(0, w.boxes.unexpected());
}

TEST_F(ScanWindow, AScanThatFailsSaysSoAndTheNextScanStarts)
{
    defineParasites();
    for (bool outOfMemory : {true, false}) {
        SCOPED_TRACE(outOfMemory ? "out of memory" : "other failure");
        // The scan thread's first find fails to reach the window.
        w.commands.setPostFunction([outOfMemory](HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) -> BOOL {
            if (isFoundMessage(message)) {
                if (outOfMemory)
                    throw std::bad_alloc();
                throw std::runtime_error("broken");
            }
            return PostMessageA(window, message, wParam, lParam);
        });
        w.boxes.answer(IDNO);   // Alert!
        w.boxes.answer(IDOK);   // the end
        const size_t before = w.boxes.shown().size();
        w.commands.startScan();
        ASSERT_TRUE(w.pumpUntilScanEnds());
        ASSERT_EQ(before + 2, w.boxes.shown().size());   // no offer: no rows
        EXPECT_EQ(kScanFailedText, w.boxes.shown()[before + 1].text);
        EXPECT_EQ("Kestrune Scan", w.boxes.shown()[before + 1].caption);
        EXPECT_EQ("Scan Failed", w.text(IDC_STATUS_LINE));
        EXPECT_EQ(UiState::Idle, w.uiState());
        EXPECT_FALSE(w.commands.scanning());
    }
    // The window took the end as usual: the next scan runs and completes.
    w.commands.setPostFunction(PostMessageA);
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ("Scan Completed Successfully", w.boxes.shown()[w.boxes.shown().size() - 2].text);
    EXPECT_EQ(6, w.list.rowCount());
    EXPECT_EQ(0, w.boxes.unexpected());
}

TEST_F(ScanWindow, TheStatusLineCountsTheFoldersThatCouldNotBeRead)
{
    // Planted by the window tests' set-up: past the host's path limit.
    places.driveRoots = {"C:\\unreachable"};
    w.commands.setScanPlaces(places);
    addFile(addParasite(w.parasites, "Absent"), "absent.dll", "");
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ("Scan Completed (1 folders could not be read)", w.text(IDC_STATUS_LINE));
}

TEST_F(ScanWindow, NoStartWhileTheWindowIsBusy)
{
    w.setUiState(UiState::Downloading);
    w.commands.startScan();
    w.commands.startFolderScan();
    EXPECT_TRUE(w.boxes.shown().empty());
    EXPECT_FALSE(w.commands.scanThreadStarted());
}

TEST_F(ScanWindow, FolderScanPicksFirstThenClearsThenAsks)
{
    defineParasites();
    Parasite& alpha = *w.parasites.at(0);
    // A first scan leaves rows.
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    const int rowsBefore = w.list.rowCount();
    ASSERT_GT(rowsBefore, 0);

    // Cancelled picker: the rows stay and nothing is asked.
    const size_t boxesBefore = w.boxes.shown().size();
    w.commands.setFolderPicker([] { return std::string(); });
    w.commands.startFolderScan();
    EXPECT_EQ(rowsBefore, w.list.rowCount());
    EXPECT_EQ(boxesBefore, w.boxes.shown().size());

    int rowsAtPick = -1;
    int rowsAtAlert = -1;
    w.commands.setFolderPicker([&] {
        rowsAtPick = w.list.rowCount();
        return dir;
    });
    w.boxes.whileOpen = [&](const std::string& caption) {
        if (caption == "Alert!")
            rowsAtAlert = w.list.rowCount();
    };
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startFolderScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ(rowsBefore, rowsAtPick);
    EXPECT_EQ(0, rowsAtAlert);
    // The file at its defined place, and the folder at the place the full
    // scan recorded for it; the registry and cookies are not looked at.
    ASSERT_EQ(2, w.list.rowCount());
    std::vector<std::vector<std::string>> rows = {row(0), row(1)};
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ((std::vector<std::vector<std::string>>{
                  {"Alpha", dir + "\\evil.dll", "File", "Severe"},
                  {"Alpha", places.windowsFolder + "\\EvilDir", "Folder", "Severe"}}),
              rows);
    EXPECT_EQ("Completed!", w.text(IDC_STATUS_LINE));
    EXPECT_EQ("1", w.text(IDC_FILES_COUNT));
    EXPECT_EQ("0", w.text(IDC_REGISTRY_COUNT));
    EXPECT_EQ("Found", alpha.status);
    EXPECT_EQ(UiState::Idle, w.uiState());
}

TEST_F(ScanWindow, SelectingARowShowsItsDescriptionAndSelectedRowsCanGo)
{
    defineParasites();
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    ASSERT_GE(w.list.rowCount(), 2);
    ListView_SetItemState(w.list.hwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ("Beta tracks you.", w.text(IDC_DESCRIPTION));
    ListView_SetItemState(w.list.hwnd(), 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ("Alpha shows ads.", w.text(IDC_DESCRIPTION));
    ListView_SetItemState(w.list.hwnd(), -1, 0, LVIS_SELECTED);
    EXPECT_EQ("", w.text(IDC_DESCRIPTION));

    // The two RegKey rows go with their finds, and the registry counter drops.
    ListView_SetItemState(w.list.hwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(std::vector<int>{1}, w.commands.results().selectedRows());
    const int rows = w.list.rowCount();
    w.commands.removeRows({1, 0, 7});
    EXPECT_EQ("", w.text(IDC_DESCRIPTION)) << "the selection went with its row";
    EXPECT_TRUE(w.commands.results().selectedRows().empty());
    ASSERT_EQ(rows - 2, w.list.rowCount());
    EXPECT_EQ(rows - 2, static_cast<int>(SendMessageA(w.list.hwnd(), LVM_GETITEMCOUNT, 0, 0)));
    EXPECT_EQ(ItemKind::RegistryValue, w.commands.results().rowFind(0)->kind);
    EXPECT_EQ("RegValue", w.list.cellText(0, 2));
    EXPECT_EQ("1", w.text(IDC_REGISTRY_COUNT));
    EXPECT_EQ(rows - 2, static_cast<int>(w.commands.checkedFinds().size()));
}

TEST_F(ScanWindow, StartupScanRunsOnceAndOnlyWhenAllowed)
{
    struct Case {
        const char* ras;
        const char* mtst;
        const char* sas;
        bool fromRunEntry;
        bool scans;
    } cases[] = {
        {"1", "1", "1", true, true},   {"0", "1", "1", true, false}, {"1", "0", "1", true, false},
        {"1", "1", "0", true, false},  {"1", "1", "1", false, false},
        {"1", "1", "1 ", true, false},
    };
    makeUserKey(kSettingsKeyPath);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ras) + c.mtst + c.sas + (c.fromRunEntry ? " /s" : ""));
        writeSetting(kSettingRunAtStartup, c.ras);
        writeSetting(kSettingStartupScanAllowed, c.mtst);
        writeSetting(kSettingScanAtStartup, c.sas);
        TestWindow window;
        window.commands.setScanPlaces(places);
        window.startedAtStartup = c.fromRunEntry;
        window.boxes.answer(IDNO);
        window.boxes.answer(IDOK);
        SetTimer(window.window(), IDT_STARTUP_SCAN, 10, nullptr);
        window.pumpFor(100);
        window.commands.onStartupScanTimer();   // a late second tick
        ASSERT_TRUE(window.pumpUntilScanEnds());
        EXPECT_EQ(c.scans ? 1 : 0, window.shownFromTray);
        EXPECT_EQ(c.scans, window.commands.scanThreadStarted());
        EXPECT_EQ(c.scans ? 2u : 0u, window.boxes.shown().size());
    }
}

TEST_F(ScanWindow, ProgressIsRefreshedWhileTheThreadRuns)
{
    // C:\bigtree (wine-setup.sh) makes the scan last a while.
    places.driveRoots = {"C:\\bigtree"};
    w.commands.setScanPlaces(places);
    addFile(addParasite(w.parasites, "Absent"), "absent.dll", "");
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.commands.startScan();
    std::vector<std::string> counts;
    ASSERT_TRUE(w.pumpUntil([&] {
        const std::string count = w.text(IDC_ITEMS_SCANNED);
        if (counts.empty() || counts.back() != count)
            counts.push_back(count);
        return !w.commands.scanActive();
    }, 60000));
    EXPECT_GE(counts.size(), 3u);   // several values on the way
    EXPECT_EQ("Scan Completed", w.text(IDC_STATUS_LINE));
    // 200 folders of 300 files below C:\bigtree, with "." and ".." each.
    const unsigned long walked = 2 + 200 + 200 * (2 + 300);
    EXPECT_LE(walked, std::stoul(w.text(IDC_ITEMS_SCANNED)));
}

TEST_F(ScanWindow, TheThreadRunsOnWhileTheWindowDoesNotAnswer)
{
    places.driveRoots = {"C:\\bigtree"};
    w.commands.setScanPlaces(places);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    // No message is handled on this thread until the scan thread has ended.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.commands.scanThread(), 60000));
    w.boxes.answer(IDOK);
    ASSERT_TRUE(w.pumpUntilScanEnds());
    EXPECT_EQ("Scan Completed", w.text(IDC_STATUS_LINE));
}

TEST_F(ScanWindow, ScanThreadRunningFollowsTheLastThreadStarted)
{
    EXPECT_FALSE(w.commands.scanThreadRunning());
    // The thread's first message waits until the test lets it go.
    ScopedHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    w.commands.setPostFunction([&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        WaitForSingleObject(release.get(), INFINITE);
        return PostMessageA(window, message, wParam, lParam);
    });
    w.boxes.answer(IDNO);
    w.commands.startScan();
    EXPECT_TRUE(w.commands.scanThreadRunning());
    SetEvent(release.get());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.commands.scanThread(), 60000));
    EXPECT_FALSE(w.commands.scanThreadRunning());
    w.boxes.answer(IDOK);
    ASSERT_TRUE(w.pumpUntilScanEnds());
}

TEST_F(ScanWindow, DestroyingTheWindowStopsTheThreadAndWaits)
{
    places.driveRoots = {"C:\\bigtree"};
    w.commands.setScanPlaces(places);
    // Every file below bigtree is a pending item's name: many finds queued.
    Parasite& p = addParasite(w.parasites, "Many");
    for (int i = 1; i <= 300; ++i)
        addFile(p, "file" + std::to_string(i) + ".txt", "");
    w.boxes.answer(IDNO);
    w.commands.startScan();
    w.pumpFor(30);
    ASSERT_TRUE(w.commands.scanActive());
    const DWORD start = GetTickCount();
    DestroyWindow(w.window());
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_FALSE(w.commands.threadTerminated());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(w.commands.scanThread(), 0));
    EXPECT_TRUE(stopRequested);
    EXPECT_FALSE(w.commands.scanning());
    // Nothing starts any more, and no scan message waits for the window.
    w.commands.startScan();
    EXPECT_EQ(1u, w.boxes.shown().size());
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_SCAN_STATE, WM_FOUND_COOKIE, PM_NOREMOVE));
}

TEST_F(ScanWindow, TheAlertComesBeforeTheRowsGoAndTheOfferAfterAnyStateMessage)
{
    defineParasites();
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    ASSERT_TRUE(w.pumpUntilScanEnds());
    const int rows = w.list.rowCount();
    ASSERT_GT(rows, 0);
    ListView_SetItemState(w.list.hwnd(), 0, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ("Alpha shows ads.", w.commands.description());

    // A state message of any value, with rows listed, is followed by the
    // offer (no end message unless the value is 6).
    w.boxes.answer(IDNO);
    w.commands.onScanState(UiState::Scanning);
    ASSERT_EQ(4u, w.boxes.shown().size());
    EXPECT_EQ(deleteOfferText(rows), w.boxes.shown()[3].text);
    w.setUiState(UiState::Idle);

    // startScan asks before it empties anything.
    int rowsAtAlert = -1;
    std::string descriptionAtAlert;
    w.boxes.whileOpen = [&](const std::string& caption) {
        if (caption == "Alert!") {
            rowsAtAlert = w.list.rowCount();
            descriptionAtAlert = w.commands.description();
        }
    };
    w.boxes.answer(IDNO);
    w.boxes.answer(IDOK);
    w.boxes.answer(IDNO);
    w.commands.startScan();
    EXPECT_EQ(rows, rowsAtAlert);
    EXPECT_EQ("Alpha shows ads.", descriptionAtAlert);
    EXPECT_EQ(0, w.list.rowCount());
    EXPECT_EQ("", w.commands.description());
    EXPECT_EQ("", w.text(IDC_DESCRIPTION));
    ASSERT_TRUE(w.pumpUntilScanEnds());
}
