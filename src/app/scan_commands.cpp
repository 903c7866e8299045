// ScanCommands: starting, stopping and ending scans in the main window, the
// scan messages and the refresh of the progress texts.
#include "app/scan_commands.h"

#include "app/close_browsers.h"
#include "app/message_pump.h"
#include "app/ui_state.h"
#include "app/window_messages.h"
#include "settings/ignore_list.h"
#include "settings/settings_store.h"
#include "ui/owner_data_check_list.h"
#include "ui/folder_picker.h"

#include "product.h"
#include "resource.h"

#include <cstdio>
#include <memory>

namespace kestrune {

const char kStopQuestionText[] = "Are you sure you want to stop scanning?";
const char kStopQuestionCaption[] = "Confirmation!";
const char kScanStoppedText[] = "Scan Stopped";
const char kScanCompletedText[] = "Scan Completed Successfully";
const char kScanFailedText[] =
    "Scan Failed: the scan could not finish, so its results are incomplete";
const char kScanEndCaption[] = "Kestrune Scan";
const char kDeleteOfferFormat[] =
    "Kestrune Detected %d Parasites, Do you want Kestrune to Delete all Detected Parasites?";
const char kDeleteOfferCaption[] = KESTRUNE_TITLE;
const char kPickFolderTitle[] = "Select a folder to scan:";
const char kCannotUsePathText[] = "Cannot use this path!";

namespace {

// How long the window waits, after the end message, for the thread that
// posted it to return (its only remaining work is freeing its lists).
const DWORD kEndWaitMs = 5000;

void freeScanMessage(const MSG& message)
{
    if (isFoundMessage(message.message))
        delete reinterpret_cast<Find*>(message.lParam);
}

}  // namespace

std::string deleteOfferText(int rows)
{
    char text[sizeof kDeleteOfferFormat + 16];
    std::snprintf(text, sizeof text, kDeleteOfferFormat, rows);
    return text;
}

ScanCommands::ScanCommands(ScanHost& host, OwnerDataCheckList& list)
    : host_(host), list_(list), results_(list)
{
}

ScanCommands::~ScanCommands()
{
    // Normally onDestroy has ended the thread; this covers a window that
    // never got that far. The thread uses the job, the reporter and the
    // list, so it must not outlive them.
    if (life_.threadRunning()) {
        life_.requestStop();
        if (WaitForSingleObject(life_.thread(), kStopWaitMs) != WAIT_OBJECT_0)
            TerminateThread(life_.thread(), 0);
    }
}

void ScanCommands::setUpResultList()
{
    HFONT font = reinterpret_cast<HFONT>(
        SendDlgItemMessageA(host_.window(), IDC_STATUS_LINE, WM_GETFONT, 0, 0));
    results_.setUp(GetModuleHandleA(nullptr), font);
}

bool ScanCommands::mayStart() const
{
    return life_.mayStartScan(host_.uiState(), host_.removalUnderWay());
}

void ScanCommands::resetCounters()
{
    counts_ = ScanCounts();
    counted_ = true;
    SetDlgItemTextA(host_.window(), IDC_ITEMS_SCANNED, "0");
}

void ScanCommands::clearRows()
{
    results_.clear();
    description_.clear();
}

void ScanCommands::showBoundTexts()
{
    HWND window = host_.window();
    SetDlgItemTextA(window, IDC_DESCRIPTION, description_.c_str());
    const struct {
        int control;
        int count;
    } counters[] = {{IDC_COOKIES_COUNT, counts_.cookies},
                    {IDC_FILES_COUNT, counts_.files},
                    {IDC_MEMORY_COUNT, counts_.memory},
                    {IDC_REGISTRY_COUNT, counts_.registry}};
    for (const auto& counter : counters)
        SetDlgItemTextA(window, counter.control,
                        counted_ ? std::to_string(counter.count).c_str() : "");
}

bool ScanCommands::startThread(LPTHREAD_START_ROUTINE entry)
{
    job_.parasites = &host_.parasiteList();
    job_.reporter = &reporter_;
    // The places earlier scans found items at stay known to the folder scan.
    for (const ItemRef& item : scanResults_.items())
        for (const ItemFind& find : scanResults_.findsOf(item))
            earlierResults_.add(item, find);
    scanResults_.clear();
    job_.results = &scanResults_;
    job_.earlier = &earlierResults_;
    job_.places = places_;
    // From the settings as they are at this start (the log folder or the
    // reference file may have changed since the last one).
    job_.protectedPlaces = protectedPlacesOfThisMachine();
    // The finds the user keeps, read once for this scan.
    job_.ignored = IgnoreSet::load();
    job_.stop = &ScanLife::stopRequest();
    reporter_.reset(host_.window());
    DWORD id = 0;
    if (!life_.startThread([&] { return CreateThread(nullptr, 0, entry, &job_, 0, &id); }))
        return false;
    GetLocalTime(&startedAt_);
    startTick_ = GetTickCount();
    SetTimer(host_.window(), IDT_SCAN_REFRESH, kRefreshMs, nullptr);
    return true;
}

void ScanCommands::startScan()
{
    if (!life_.beginStart(host_.uiState(), host_.removalUnderWay()))
        return;
    closeBrowserWindows(host_.messageBoxes());
    life_.endStart();
    // While the question was open the window went on taking commands.
    if (!mayStart())
        return;
    resetCounters();
    clearRows();
    life_.clearRebootPending();
    scannedFolder_.clear();
    startThread(ScanThread);
    showBoundTexts();
}

void ScanCommands::startFolderScan()
{
    if (!life_.beginStart(host_.uiState(), host_.removalUnderWay()))
        return;
    const std::string folder = pickFolderToScan();
    if (folder.empty()) {
        life_.endStart();
        return;
    }
    clearRows();
    closeBrowserWindows(host_.messageBoxes());
    life_.endStart();
    if (!mayStart()) {
        showBoundTexts();
        return;
    }
    life_.clearRebootPending();
    resetCounters();
    job_.folder = folder;
    scannedFolder_ = folder;
    startThread(FolderScanThread);
    showBoundTexts();
}

std::string ScanCommands::pickFolderToScan()
{
    if (picker_)
        return picker_();
    return pickFolder(host_.messageBoxes(), host_.window(), kPickFolderTitle, kCannotUsePathText);
}

void ScanCommands::stopScan()
{
    if (!life_.scanning())
        return;
    const int answer = host_.messageBoxes().show(nullptr, kStopQuestionText,
                                                 kStopQuestionCaption, kTopmostQuestionStyle);
    // The scan may have ended while the question was open: then nothing moves.
    if (answer == IDYES)
        life_.confirmStop();
}

void ScanCommands::finishThread()
{
    if (life_.thread() != nullptr)
        WaitForSingleObject(life_.thread(), kEndWaitMs);
    refreshProgress();
    KillTimer(host_.window(), IDT_SCAN_REFRESH);
}

void ScanCommands::onScanState(UiState state)
{
    if (life_.closed())
        return;
    if (state == UiState::ScanFinished) {
        finishThread();
        durationMs_ = GetTickCount() - startTick_;
        life_.ended(reporter_.failed());
    }
    host_.setUiState(state);
    HWND window = host_.window();
    MessageBoxes& boxes = host_.messageBoxes();
    if (state == UiState::ScanFinished) {
        // A failure outweighs a stop: the results are incomplete either way,
        // and the user did not ask for the failure.
        const ScanEnd& end = life_.lastEnd();
        const char* text = end.failed    ? kScanFailedText
                           : end.stopped ? kScanStoppedText
                                         : kScanCompletedText;
        boxes.show(window, text, kScanEndCaption, MB_OK);
    }
    const int rows = results_.rowCount();
    if (rows > 0 &&
        boxes.show(window, deleteOfferText(rows), kDeleteOfferCaption, MB_YESNO) == IDYES)
        host_.runRemoveCommand();
}

void ScanCommands::onFound(UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_ptr<Find> find(reinterpret_cast<Find*>(lParam));
    if (!find || life_.closed())
        return;
    const int parasiteIndex = static_cast<int>(wParam);
    const Parasite* parasite = host_.parasiteList().at(parasiteIndex);
    if (parasite == nullptr)
        return;
    find->kind = foundKind(message);
    find->parasiteIndex = parasiteIndex;
    // Finds come in bursts; the list is drawn again when the refresh timer
    // runs, which is after the burst, and at the end of the scan.
    results_.holdDrawing();
    results_.addRow(*parasite, *find);
    if (int* counter = counterFor(find->kind)) {
        ++*counter;
        // Shown with the rows, after the burst of finds (see holdDrawing).
        countersChanged_ = true;
    }
}

int* ScanCommands::counterFor(ItemKind kind)
{
    switch (counterOf(kind)) {
    case Counter::Registry:
        return &counts_.registry;
    case Counter::Cookies:
        return &counts_.cookies;
    case Counter::Files:
        return &counts_.files;
    case Counter::None:
        break;
    }
    return nullptr;
}

void ScanCommands::onItemChanged(const NMLISTVIEW& change)
{
    if (life_.closed())
        return;
    std::string description;
    if (change.uNewState & LVIS_SELECTED) {
        const Find* find = results_.rowFind(change.iItem);
        const int parasiteIndex =
            find != nullptr ? find->parasiteIndex : static_cast<int>(list_.rowData(change.iItem));
        if (const Parasite* parasite = host_.parasiteList().at(parasiteIndex))
            description = parasite->description;
    }
    // A new selection comes as two notifications (the old row's, the new
    // one's); unchanged texts are not written again.
    if (description == description_)
        return;
    description_ = description;
    showBoundTexts();
}

void ScanCommands::onStartupScanTimer()
{
    // Stopped first: the scan's own question may keep this handler open
    // while the timer would fire again.
    KillTimer(host_.window(), IDT_STARTUP_SCAN);
    if (!life_.takeStartupScan())
        return;
    if (settingEnabled(kSettingRunAtStartup) && settingEnabled(kSettingStartupScanAllowed) &&
        host_.startedFromRunEntry() && settingEnabled(kSettingScanAtStartup)) {
        host_.showFromNotificationArea();
        startScan();
    }
}

void ScanCommands::onTimer(UINT_PTR id)
{
    if (id == IDT_SCAN_REFRESH && !life_.closed())
        refreshProgress();
}

void ScanCommands::refreshProgress()
{
    results_.releaseDrawing();
    if (countersChanged_) {
        countersChanged_ = false;
        showBoundTexts();
    }
    HWND window = host_.window();
    std::string text;
    if (reporter_.takeText(text))
        SetDlgItemTextA(window, IDC_STATUS_LINE, text.c_str());
    unsigned long count = 0;
    if (reporter_.takeCount(count))
        SetDlgItemTextA(window, IDC_ITEMS_SCANNED, std::to_string(count).c_str());
}

void ScanCommands::clearResults()
{
    results_.releaseDrawing();
    clearRows();
    life_.dropReport();
    showBoundTexts();
}

void ScanCommands::removeRows(const std::vector<int>& rows)
{
    for (int row : normalisedRows(rows, results_.rowCount())) {
        if (int* counter = counterFor(results_.rowFind(row)->kind))
            --*counter;
    }
    results_.releaseDrawing();
    results_.removeRows(rows);
    // The rows that are left keep their selection; with none the
    // description goes.
    if (results_.selectedRows().empty())
        description_.clear();
    showBoundTexts();
}

ScanReport ScanCommands::scanReport() const
{
    ScanReport report;
    report.started = startedAt_;
    report.durationMs = durationMs_;
    report.referenceFile = referenceFilePath();
    ParasiteList& parasites = host_.parasiteList();
    report.parasiteCount = parasites.count();
    report.folder = scannedFolder_;
    report.itemsScanned = reporter_.count();
    report.ignored = reporter_.ignoredCount();
    report.unreadable = reporter_.unreadableCount();
    report.stopped = life_.lastEnd().stopped;
    report.failed = life_.lastEnd().failed;
    for (int row = 0; row < results_.rowCount(); ++row) {
        const Find* find = results_.rowFind(row);
        const Parasite* parasite = parasites.at(find->parasiteIndex);
        ScanReportRow line;
        line.find = *find;
        line.checked = results_.rowChecked(row);
        if (parasite != nullptr) {
            line.parasite = parasite->name;
            line.dangerLevel = parasite->dangerLevel;
        }
        report.rows.push_back(line);
    }
    return report;
}

void ScanCommands::onDestroy()
{
    // Closed first: a message handled while the thread is waited for starts
    // nothing and shows nothing.
    life_.close();
    HWND window = host_.window();
    KillTimer(window, IDT_SCAN_REFRESH);
    KillTimer(window, IDT_STARTUP_SCAN);
    if (life_.threadRunning()) {
        life_.requestStop();
        // The thread's other windows keep answering; scan messages are only
        // freed, as nothing is shown any more.
        const bool ended = waitWhilePumping(life_.thread(), kStopWaitMs, [window](MSG& message) {
            if (message.hwnd != window || !isScanMessage(message.message))
                return false;
            freeScanMessage(message);
            return true;
        });
        if (!ended) {
            TerminateThread(life_.thread(), 0);
            life_.markTerminated();
        }
    }
    dropQueuedScanMessages();
    results_.releaseDrawing();
}

void ScanCommands::dropQueuedScanMessages()
{
    HWND window = host_.window();
    if (window == nullptr)
        return;
    MSG message;
    while (PeekMessageA(&message, window, kFirstScanMessage, kLastScanMessage, PM_REMOVE))
        freeScanMessage(message);
}

}  // namespace kestrune
