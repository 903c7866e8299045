// Scan benchmark: builds a tree of 200,000 entries (nested folders, names
// that repeat, some that match) and a reference file of 5,000 parasites with
// 20,000 items, 5,000 of them files and folders without a place, and
// measures in one run:
//   (a) a bare FindFirstFileA/FindNextFileA walk of the tree,
//   (b) the engine's drive search over it (walkFolder with the pending lists),
//   (c) the whole scan through the main window, from the scan command to the
//       end message, with the drive search narrowed to the tree (three scans
//       in one window),
// each as the median of three runs, with the peak of the private memory that
// each adds while it runs (sampled every 2 ms). The drive search is also run
// over half of the tree, to show that its memory does not grow with the tree.
// Exit 0 when b/a <= 1.3 and c/a <= 2.0, 1 when not, 2 on a set-up failure.
#include "bench_support.h"

#include "app/main_window.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/handles.h"
#include "scan/item_checks.h"
#include "scan/scan_thread.h"
#include "settings/settings_store.h"

#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace kestrune;
using namespace bench;

namespace {

const char kTree[] = "C:\\benchtree";
const int kParasites = 5000;
const int kTopFolders = 20;   // 20 x 20 x 20 leaves

// Leaves get 23 or 24 files named data0.bin ... (the same names in every
// leaf); every 16th leaf holds pend<i>.dll instead of one of them (500 files
// that match pending items) and every 32nd, offset 8, a folder pdir<i> (250
// folders that match). 8,420 folders and 191,580 files: 200,000 entries.
int buildTree()
{
    const std::string marker = std::string(kTree) + "\\built.txt";
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
        return 200000;
    CreateDirectoryA(kTree, nullptr);
    int entries = 0;
    int leaf = 0;
    const int leaves = kTopFolders * kTopFolders * kTopFolders;
    const int files = 200000 - (kTopFolders + kTopFolders * kTopFolders + leaves) - 1;   // built.txt
    for (int a = 0; a < kTopFolders; ++a) {
        const std::string top = std::string(kTree) + "\\t" + std::to_string(a);
        CreateDirectoryA(top.c_str(), nullptr);
        ++entries;
        for (int b = 0; b < kTopFolders; ++b) {
            const std::string mid = top + "\\m" + std::to_string(b);
            CreateDirectoryA(mid.c_str(), nullptr);
            ++entries;
            for (int c = 0; c < kTopFolders; ++c, ++leaf) {
                const std::string low = mid + "\\c" + std::to_string(c);
                if (!CreateDirectoryA(low.c_str(), nullptr))
                    return -1;
                ++entries;
                const int count = files / leaves + (leaf < files % leaves ? 1 : 0);
                for (int k = 0; k < count; ++k) {
                    std::string name = "data" + std::to_string(k) + ".bin";
                    if (k == 0 && leaf % 16 == 0)
                        name = "pend" + std::to_string((leaf / 16) * 10) + ".dll";
                    if (k == 1 && leaf % 32 == 8) {
                        if (!CreateDirectoryA((low + "\\pdir" + std::to_string((leaf / 32) * 10 + 1)).c_str(),
                                              nullptr))
                            return -1;
                    } else if (!makeFile(low + "\\" + name)) {
                        return -1;
                    }
                    ++entries;
                }
            }
        }
    }
    if (!makeFile(marker))
        return -1;
    return entries + 1;
}

// Each parasite: one item without a place (a file pend<i>.dll for even i, a
// folder pdir<i> for odd i), a registry key, a registry value and a file at
// a place, none of which exist.
bool writeReferenceFile(const std::string& path)
{
    std::string text = "<KS>\r\n";
    for (int i = 0; i < kParasites; ++i) {
        const std::string id = std::to_string(i);
        text += "<SW NAME=\"Bench Parasite " + id + "\">";
        if (i % 2 == 1)
            text += "<DIRECTORIES><DIR NAME=\"pdir" + id + "\" PATH=\"\"/></DIRECTORIES>";
        text += "<FILES>";
        if (i % 2 == 0)
            text += "<FILE NAME=\"pend" + id + ".dll\" PATH=\"\"/>";
        text += "<FILE NAME=\"placed" + id + ".dll\" PATH=\"C:\\benchplaced\"/></FILES>";
        text += "<REGISTRY><KEYS><REGKEY MAIN=\"HKEY_CURRENT_USER\" SUB=\"Software\\KestruneBench\" VALUE=\"Key" +
                id + "\"/></KEYS><VALUES><REGVALUE MAIN=\"HKEY_CURRENT_USER\" SUB=\"Software\\KestruneBench\" VALUE=\"Val" +
                id + "\"/></VALUES></REGISTRY>";
        text += "<DANGER_LEVEL>" + std::to_string(i % 3) + "</DANGER_LEVEL>";
        text += "<DESCRIPTION>Generated for the scan benchmark.</DESCRIPTION></SW>\r\n";
    }
    text += "</KS>\r\n";
    scrambleBytes(text);
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// (a): the listing alone, links not entered.
long bareWalk(const std::string& folder)
{
    long entries = 0;
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!listing.valid())
        return 0;
    do {
        const char* n = entry.cFileName;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        ++entries;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            entries += bareWalk(folder + "\\" + n);
    } while (FindNextFileA(listing.get(), &entry));
    return entries;
}

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

// Times each phase of a full scan.
class PhaseTimer : public ScanReporter {
public:
    void scanStarted() override { last_ = nowMs(); }
    void phaseStarted(ScanPhase phase) override
    {
        close();
        current_ = phaseName(phase);
    }
    void found(const Find&) override { ++finds; }
    void currentText(const std::string&) override {}
    void itemsScanned(unsigned long) override {}
    void scanEnded() override { close(); }
    std::string report;
    int finds = 0;

private:
    void close()
    {
        const double now = nowMs();
        if (!current_.empty())
            report += "  " + current_ + " " + std::to_string(static_cast<long>(now - last_)) + " ms;";
        last_ = now;
    }
    std::string current_;
    double last_ = 0;
};

// (b): the pending lists filled as the file and folder phases fill them (not
// timed), then walkFolder over `folders`.
Measure driveSearch(const std::string& definitions, const std::vector<std::string>& folders,
                    int& finds)
{
    ParasiteList list;
    loadReferenceFile(definitions, list);
    CountingReporter reporter;
    // The program's set, so that the search is timed as the program runs it.
    const ProtectedPlaces protectedPlaces = protectedPlacesOfThisMachine();
    ScanRun run(list, reporter, protectedPlaces);
    PendingList<FileItem> files(list);
    PendingList<DirectoryItem> dirs(list);
    for (int p = 0; p < list.count(); ++p) {
        for (int i = 0; i < static_cast<int>(list.at(p)->files.size()); ++i)
            if (list.at(p)->files[i]->path.empty())
                files.append(PendingSearch{p, i});
        for (int i = 0; i < static_cast<int>(list.at(p)->directories.size()); ++i)
            dirs.append(PendingSearch{p, i});
    }
    MemorySampler memory;
    memory.start();
    const double start = nowMs();
    for (const std::string& folder : folders)
        walkFolder(run, folder, files, dirs);
    const double ms = nowMs() - start;
    finds = reporter.finds;
    return Measure{ms, memory.stop()};
}

// Answers the window's questions. The end message of a scan records its
// time and memory and lets the driver go on.
class BenchBoxes : public MessageBoxes {
public:
    BenchBoxes() : ended(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    int show(HWND owner, const std::string& text, const std::string& caption, UINT) override
    {
        if (caption == "Alert!")
            return IDNO;
        if (caption == "Kestrune Scan") {
            endMs = nowMs();
            peakKb = memory.stop();
            endText = text;
            return IDOK;
        }
        if (text.rfind("Kestrune Detected ", 0) == 0) {
            SetEvent(ended.get());
            return IDNO;
        }
        other.push_back(caption + ": " + text);
        PostMessageA(owner, WM_COMMAND, IDCANCEL, 0);
        SetEvent(ended.get());
        return IDNO;
    }
    MemorySampler memory;
    ScopedHandle ended;   // auto-reset: one scan's dialogue is over
    double endMs = 0;
    long peakKb = 0;
    std::string endText;
    std::vector<std::string> other;
};

// (c): Kestrune's main window, with the loading dialog's pauses taken out,
// runs `runs` scans one after another, each started by the scan command
// once the window is idle and timed to its end message.
std::vector<Measure> windowScans(int runs, int& rows, std::string& error)
{
    BenchBoxes boxes;
    MainWindowOptions options;
    options.messageBoxes = &boxes;
    options.loadingTimings = LoadingTimings{0, 0, 0, 0, 0};
    options.startupTimerMs = 600000;
    MainWindow window(false, options);
    ScanPlaces places;
    places.cookiesFolder = systemCookiesFolder();
    places.driveRoots = {kTree};
    window.scanCommands().setScanPlaces(places);
    std::vector<Measure> measures;
    std::thread driver([&] {
        for (int run = 0; run < runs; ++run) {
            HWND hwnd = nullptr;
            for (int i = 0; i < 6000 && hwnd == nullptr; ++i) {
                hwnd = findMainWindow();
                if (hwnd == nullptr)
                    Sleep(10);
            }
            if (hwnd == nullptr || !boxes.other.empty())
                return;
            Sleep(300);
            boxes.memory.start();
            const double startMs = nowMs();
            PostMessageA(hwnd, WM_COMMAND, IDC_SCAN, 0);
            WaitForSingleObject(boxes.ended.get(), INFINITE);
            if (!boxes.other.empty() || boxes.endText != "Scan Completed Successfully")
                return;
            measures.push_back(Measure{boxes.endMs - startMs, boxes.peakKb});
            std::printf("run %d: c %.1f ms\n", run + 1, measures.back().ms);
        }
        PostMessageA(findMainWindow(), WM_COMMAND, IDCANCEL, 0);
    });
    window.runModal();
    driver.join();
    rows = window.scanCommands().results().rowCount();
    if (static_cast<int>(measures.size()) != runs) {
        error = boxes.endText;
        for (const std::string& o : boxes.other)
            error += " | " + o;
    }
    return measures;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("building %s ...\n", kTree);
    const double buildStart = nowMs();
    const int built = buildTree();
    if (built < 0) {
        std::fprintf(stderr, "cannot build the tree\n");
        return 2;
    }
    std::printf("tree: %d entries (%.1f s to build)\n", built, (nowMs() - buildStart) / 1000);

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string definitions = std::string(temp) + "bench_scan.ks";
    if (!writeReferenceFile(definitions)) {
        std::fprintf(stderr, "cannot write %s\n", definitions.c_str());
        return 2;
    }
    // The window loads the reference file that the settings name.
    if (settingsMissing() && !createDefaultSettings()) {
        std::fprintf(stderr, "cannot create the settings\n");
        return 2;
    }
    writeSetting(kSettingReferenceFile, definitions);

    ParasiteList check;
    if (!loadReferenceFile(definitions, check) || check.count() != kParasites) {
        std::fprintf(stderr, "cannot load %s\n", definitions.c_str());
        return 2;
    }
    int items = 0, pending = 0;
    for (int p = 0; p < check.count(); ++p) {
        const Parasite& x = *check.at(p);
        items += static_cast<int>(x.files.size() + x.directories.size() + x.cookies.size() +
                                  x.registryKeys.size() + x.registryValues.size());
        for (const auto& f : x.files)
            pending += f->path.empty();
        for (const auto& d : x.directories)
            pending += d->path.empty();
    }
    std::printf("definitions: %d parasites, %d items, %d without a place\n", check.count(), items,
                pending);

    std::vector<std::string> whole = {kTree};
    std::vector<std::string> half;
    for (int a = 0; a < kTopFolders / 2; ++a)
        half.push_back(std::string(kTree) + "\\t" + std::to_string(a));

    const double warm = nowMs();
    bareWalk(kTree);   // warm the caches once, untimed
    std::printf("warm-up walk: %.1f ms\n", nowMs() - warm);
    std::vector<Measure> a, b, bHalf;
    long walked = 0;
    int finds = 0, halfFinds = 0;
    for (int run = 0; run < 3; ++run) {
        MemorySampler memory;
        memory.start();
        const double start = nowMs();
        walked = bareWalk(kTree);
        const double ms = nowMs() - start;
        a.push_back(Measure{ms, memory.stop()});
        b.push_back(driveSearch(definitions, whole, finds));
        bHalf.push_back(driveSearch(definitions, half, halfFinds));
        std::printf("run %d: a %.1f ms, b %.1f ms, b over half %.1f ms\n", run + 1, a.back().ms,
                    b.back().ms, bHalf.back().ms);
    }
    const Measure ma = median(a), mb = median(b), mbHalf = median(bHalf);

    {
        ParasiteList list;
        loadReferenceFile(definitions, list);
        ScanPlaces places;
        places.cookiesFolder = systemCookiesFolder();
        places.driveRoots = {kTree};
        PhaseTimer timer;
        const double start = nowMs();
        runFullScan(list, timer, &places);
        std::printf("engine full scan without a window: %.1f ms (%d finds):%s\n", nowMs() - start,
                    timer.finds, timer.report.c_str());
    }

    int rows = 0;
    std::string error;
    std::vector<Measure> c = windowScans(3, rows, error);
    if (c.size() != 3) {
        std::fprintf(stderr, "the window scans did not end as expected: %s\n", error.c_str());
        return 2;
    }
    const Measure mc = median(c);

    std::printf("(a) bare walk:            %8.1f ms  peak +%6ld KB  (%ld entries)\n", ma.ms, ma.peakKb,
                walked);
    std::printf("(b) engine drive search:  %8.1f ms  peak +%6ld KB  (%d finds)\n", mb.ms, mb.peakKb,
                finds);
    std::printf("    over half the tree:   %8.1f ms  peak +%6ld KB  (%d finds)\n", mbHalf.ms,
                mbHalf.peakKb, halfFinds);
    std::printf("(c) scan through window:  %8.1f ms  peak +%6ld KB  (%d rows)\n", mc.ms, mc.peakKb, rows);
    const double ba = mb.ms / ma.ms, ca = mc.ms / ma.ms;
    std::printf("b/a = %.2f (target <= 1.3)   c/a = %.2f (target <= 2.0)\n", ba, ca);
    DeleteFileA(definitions.c_str());
    return ba <= 1.3 && ca <= 2.0 ? 0 : 1;
}
