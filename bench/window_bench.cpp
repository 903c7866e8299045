// Window benchmark: N files planted at their places and a reference file of
// N parasites, each naming one of them (N = 300 and 10,000), scanned and
// removed through Kestrune's main window:
//   scan:  from the answer to "Alert!" to the "Scan Completed Successfully"
//          box, the median of three scans in one window, each ending with
//          every file a checked row and the Files counter at N;
//   road:  a scan whose delete offer is taken, the backup, the removal and
//          its summary box, from the answer to "Alert!" to the summary, after
//          which no planted file is left;
// with the working set of the process while the window holds the N rows and
// its peak. Prints both figures at both sizes and their ratios.
// "window_bench scans" leaves the road out.
// Exit 0 when the 10,000-find scan takes at most 2.0 times the 300-find
// scan, 1 when not, 2 when something did not go as it should.
#include "bench_support.h"

#include "app/main_window.h"
#include "app/removal_flow.h"
#include "app/scan_commands.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/handles.h"
#include "platform/message_boxes.h"
#include "safety/place_judge.h"
#include "scan/scan_thread.h"
#include "scan/stop_request.h"
#include "settings/settings_store.h"

#include "resource.h"

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace kestrune;
using namespace bench;

namespace {

const char kRoot[] = "C:\\windowbench";
const int kScanRuns = 3;
bool withRoad = true;   // false: the scans alone ("window_bench scans")

// File i of n lies in a folder of 100: under Wine, every new name in a
// folder is looked for through the whole folder, so one folder of 10,000
// files would time Wine's file system rather than Kestrune.
const int kFilesPerFolder = 100;

std::string plantFolder(int n, int i)
{
    return std::string(kRoot) + "\\" + std::to_string(n) + "\\" + std::to_string(i / kFilesPerFolder);
}

std::string plantName(int i)
{
    return "planted" + std::to_string(i) + ".txt";
}

bool plantFiles(int n)
{
    CreateDirectoryA(kRoot, nullptr);
    CreateDirectoryA((std::string(kRoot) + "\\" + std::to_string(n)).c_str(), nullptr);
    CreateDirectoryA((std::string(kRoot) + "\\empty").c_str(), nullptr);
    for (int i = 0; i < n; ++i) {
        if (i % kFilesPerFolder == 0)
            CreateDirectoryA(plantFolder(n, i).c_str(), nullptr);
        if (!makeFile(plantFolder(n, i) + "\\" + plantName(i)))
            return false;
    }
    return true;
}

int filesLeft(int n)
{
    int left = 0;
    for (int i = 0; i < n; ++i)
        left += GetFileAttributesA((plantFolder(n, i) + "\\" + plantName(i)).c_str()) !=
                INVALID_FILE_ATTRIBUTES;
    return left;
}

bool writeReferenceFile(const std::string& path, int n)
{
    std::string text = "<KS>\r\n";
    for (int i = 0; i < n; ++i) {
        text += "<SW NAME=\"Window Bench " + std::to_string(i) + "\"><FILES><FILE NAME=\"" +
                plantName(i) + "\" PATH=\"" + plantFolder(n, i) + "\"/></FILES><DANGER_LEVEL>" +
                std::to_string(i % 3) +
                "</DANGER_LEVEL><DESCRIPTION>Planted for the window benchmark.</DESCRIPTION></SW>\r\n";
    }
    text += "</KS>\r\n";
    return writeReferenceMarkup(path, text);
}

// Answers the window's questions on its own thread, takes the times, and
// checks the rows when the delete offer comes. One scan's dialogue ends with
// `ended` set.
class BenchBoxes : public MessageBoxes {
public:
    explicit BenchBoxes(int n) : ended(CreateEventA(nullptr, FALSE, FALSE, nullptr)), n_(n) {}

    int show(HWND owner, const std::string& text, const std::string& caption, UINT) override
    {
        if (caption == "Alert!") {
            startMs = nowMs();
            return IDNO;
        }
        if (caption == kScanEndCaption) {
            scanEndMs = nowMs();
            if (text != kScanCompletedText)
                problem("the scan ended with \"" + text + "\"");
            return IDOK;
        }
        if (text.rfind("Kestrune Detected ", 0) == 0) {
            checkRows(owner);
            if (!road) {
                SetEvent(ended.get());
                return IDNO;
            }
            return IDYES;
        }
        if (text == kBackupOfferText || text == kMakeLogFileText)
            return IDYES;
        if (text == kBackupDoneText) {
            backupEndMs = nowMs();
            return IDYES;
        }
        if (caption == applicationTitle()) {
            summaryMs = nowMs();
            if (text != kRemovedAfterBackupText)
                problem("the removal ended with \"" + text + "\"");
            SetEvent(ended.get());
            return IDOK;
        }
        problem("unexpected box " + caption + ": " + text);
        PostMessageA(owner, WM_COMMAND, IDCANCEL, 0);
        SetEvent(ended.get());
        return IDNO;
    }

    MainWindow* window = nullptr;
    bool road = false;
    ScopedHandle ended;   // auto-reset
    double startMs = 0, scanEndMs = 0, backupEndMs = 0, summaryMs = 0;
    SIZE_T rowsWorkingSet = 0;
    std::vector<std::string> problems;

private:
    void problem(const std::string& what) { problems.push_back(what); }

    // Every planted file a checked row, in the control too, and the counter.
    void checkRows(HWND owner)
    {
        rowsWorkingSet = workingSet();
        const ResultList& rows = window->scanCommands().results();
        std::set<std::string> locations;
        for (int r = 0; r < rows.rowCount(); ++r)
            locations.insert(rows.rowFind(r)->location);
        char files[32] = "";
        GetDlgItemTextA(owner, IDC_FILES_COUNT, files, sizeof files);
        const int shown = static_cast<int>(
            SendDlgItemMessageA(owner, IDC_RESULT_LIST, LVM_GETITEMCOUNT, 0, 0));
        if (rows.rowCount() != n_ || static_cast<int>(locations.size()) != n_ || shown != n_ ||
            static_cast<int>(rows.checkedFinds().size()) != n_ || std::to_string(n_) != files)
            problem("rows " + std::to_string(rows.rowCount()) + ", distinct " +
                    std::to_string(locations.size()) + ", shown " + std::to_string(shown) +
                    ", Files counter " + files + " for " + std::to_string(n_) + " finds");
    }

    int n_;
};

class CountingReporter : public ScanReporter {
public:
    void scanStarted() override {}
    void phaseStarted(ScanPhase) override {}
    void found(const Find&) override { ++finds; }
    void currentText(const std::string&) override {}
    void itemsScanned(unsigned long) override {}
    void scanEnded() override {}
    int finds = 0;
};

ScanPlaces benchPlaces()
{
    ScanPlaces places;
    places.driveRoots = {std::string(kRoot) + "\\empty"};
    return places;
}

// The same scan without a window, for comparison (with the machine's
// protected places, or with none); -1 when it misses finds.
double engineScanMs(const std::string& definitions, int n, bool protectedPlaces)
{
    ParasiteList list;
    if (!loadReferenceFile(definitions, list))
        return -1;
    CountingReporter reporter;
    const ScanPlaces places = benchPlaces();
    const ProtectedPlaces none;
    const double start = nowMs();
    runFullScan(list, reporter, stopRequested, &places, protectedPlaces ? nullptr : &none);
    const double ms = nowMs() - start;
    return reporter.finds == n ? ms : -1;
}

// The protected-place check the scan makes for every find, alone, over the
// n planted files.
double protectedCheckMs(int n)
{
    const ProtectedPlaces places = protectedPlacesOfThisMachine();
    PlaceJudge judge(places);
    int refused = 0;
    const double start = nowMs();
    for (int i = 0; i < n; ++i)
        refused += judge.isProtected(plantFolder(n, i) + "\\" + plantName(i));
    const double ms = nowMs() - start;
    return refused == 0 ? ms : -1;
}

struct Figures {
    double plantMs = 0;
    double engineMs = 0;
    double unprotectedEngineMs = 0;
    double protectedCheckMs = 0;
    double scanMs = 0;
    double roadMs = 0;
    double roadScanMs = 0, backupMs = 0, removalMs = 0;
    SIZE_T rowsWorkingSet = 0;
    SIZE_T peakWorkingSet = 0;
};

// One window with the definitions of `n`: kScanRuns scans, then the road.
bool runWindow(int n, Figures& figures)
{
    BenchBoxes boxes(n);
    MainWindowOptions options;
    options.messageBoxes = &boxes;
    options.loadingTimings = LoadingTimings{0, 0, 0, 0, 0};
    options.startupTimerMs = 600000;
    MainWindow window(false, options);
    boxes.window = &window;
    window.scanCommands().setScanPlaces(benchPlaces());

    std::vector<Measure> scans;
    bool roadDone = false;
    std::thread driver([&] {
        for (int run = 0; run < kScanRuns + (withRoad ? 1 : 0); ++run) {
            HWND hwnd = waitForMainWindow(60000);
            if (hwnd == nullptr || !boxes.problems.empty())
                return;
            Sleep(300);
            boxes.road = run == kScanRuns;
            PostMessageA(hwnd, WM_COMMAND, IDC_SCAN, 0);
            WaitForSingleObject(boxes.ended.get(), INFINITE);
            if (!boxes.problems.empty())
                return;
            if (boxes.road) {
                roadDone = true;
                std::printf("  %5d finds, road: %.1f ms\n", n, boxes.summaryMs - boxes.startMs);
            } else {
                scans.push_back(Measure{boxes.scanEndMs - boxes.startMs, 0});
                std::printf("  %5d finds, scan %d: %.1f ms\n", n, run + 1, scans.back().ms);
            }
        }
        for (int i = 0; i < 6000; ++i) {
            if (HWND hwnd = findMainWindow()) {
                PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            Sleep(10);
        }
    });
    window.runModal();
    driver.join();
    for (const std::string& p : boxes.problems)
        std::fprintf(stderr, "%d finds: %s\n", n, p.c_str());
    if (!boxes.problems.empty() || roadDone != withRoad ||
        static_cast<int>(scans.size()) != kScanRuns)
        return false;
    figures.scanMs = median(scans).ms;
    figures.roadMs = boxes.summaryMs - boxes.startMs;
    figures.roadScanMs = boxes.scanEndMs - boxes.startMs;
    figures.backupMs = boxes.backupEndMs - boxes.scanEndMs;
    figures.removalMs = boxes.summaryMs - boxes.backupEndMs;
    figures.rowsWorkingSet = boxes.rowsWorkingSet;
    figures.peakWorkingSet = peakWorkingSet();
    const int left = withRoad ? filesLeft(n) : 0;
    if (left != 0) {
        std::fprintf(stderr, "%d finds: %d planted files are still there\n", n, left);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    withRoad = !(argc > 1 && std::string(argv[1]) == "scans");
    if (settingsMissing() && !createDefaultSettings()) {
        std::fprintf(stderr, "cannot create the settings\n");
        return 2;
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const int sizes[] = {300, 10000};
    Figures figures[2];
    for (int s = 0; s < 2; ++s) {
        const int n = sizes[s];
        const std::string definitions = std::string(temp) + "window_bench_" + std::to_string(n) + ".ks";
        const double plantStart = nowMs();
        if (!plantFiles(n) || !writeReferenceFile(definitions, n)) {
            std::fprintf(stderr, "cannot plant %d files\n", n);
            return 2;
        }
        figures[s].plantMs = nowMs() - plantStart;
        figures[s].engineMs = engineScanMs(definitions, n, true);
        figures[s].unprotectedEngineMs = engineScanMs(definitions, n, false);
        figures[s].protectedCheckMs = protectedCheckMs(n);
        // The window loads the reference file that the settings name.
        writeSetting(kSettingReferenceFile, definitions);
        if (!runWindow(n, figures[s]))
            return 2;
        DeleteFileA(definitions.c_str());
    }
    for (int s = 0; s < 2; ++s) {
        const Figures& f = figures[s];
        std::printf("%5d files planted in %.1f ms; scan without a window %.1f ms (%.1f ms "
                    "without protected places; the protected-place checks alone %.1f ms)\n",
                    sizes[s], f.plantMs, f.engineMs, f.unprotectedEngineMs, f.protectedCheckMs);
        std::printf("%5d finds: scan %8.1f ms   working set with the rows %ld KB, peak %ld KB\n",
                    sizes[s], f.scanMs, static_cast<long>(f.rowsWorkingSet / 1024),
                    static_cast<long>(f.peakWorkingSet / 1024));
        if (withRoad)
            std::printf("%5d finds: road %8.1f ms (scan %.1f, backup %.1f, removal and summary "
                        "%.1f)\n",
                        sizes[s], f.roadMs, f.roadScanMs, f.backupMs, f.removalMs);
    }
    const double scanRatio = figures[1].scanMs / figures[0].scanMs;
    const double roadRatio = figures[1].roadMs / figures[0].roadMs;
    std::printf("scan 10000/300 = %.2f (target <= 2.0, aim 1.2)\n", scanRatio);
    if (withRoad)
        std::printf("road 10000/300 = %.2f (finds 10000/300 = %.1f)\n", roadRatio, 10000.0 / 300.0);
    return scanRatio <= 2.0 ? 0 : 1;
}
