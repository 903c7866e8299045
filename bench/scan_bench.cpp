// Scan benchmark: builds two trees of 200,000 entries each (nested folders,
// names that repeat, some that match) - an even one and a skewed one, whose
// folder sizes follow a power law like a real drive's - and a reference file
// of 5,000 parasites with 20,000 items, 5,000 of them files and folders
// without a place, and measures in one run, per tree:
//   (a)  a bare one-thread FindFirstFileA/FindNextFileA walk of the tree,
//   (a2) the same walk on two threads sharing one stack of folders,
//   (b1) the engine's drive search over it on one thread (searchFolderTrees
//        with the pending lists), (b2) the same on two walkers,
// each as the median of three runs (a, b1, b2, a2 alternating), with the
// peak of the private memory that each adds while it runs (sampled every
// 2 ms); then, over the even tree:
//   (c)  the whole scan through the main window, from the scan command to the
//        end message, with the drive search narrowed to the tree (three scans
//        in one window),
// the peak working set of a whole engine scan in a process of its own over
// the tree and over half of it (it must not grow with the tree); and, before
// the trees are built, `kestrune-cli scan` of a machine with 300 and with
// 10,000 planted files that as many parasites name (the console stays
// linear).
// Exit 0 when, on each tree, b1/a <= 1.1, b2/a <= 0.85 and b2/a2 <= 1.15,
// and c/a <= 2.0 and the scan's working set over the tree is within 10%
// (+1 MB) of that over half, 1 when not, 2 on a set-up failure.
#include "bench_support.h"

#include "app/main_window.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "platform/handles.h"
#include "scan/drive_search.h"
#include "scan/item_checks.h"
#include "scan/stop_request.h"
#include "scan/scan_thread.h"
#include "settings/settings_store.h"

#include "resource.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace kestrune;
using namespace bench;

namespace {

const char kTree[] = "C:\\benchtree";
const char kSkewedTree[] = "C:\\benchskew";
const int kEntries = 200000;
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

// A fixed sequence of pseudo-random numbers (xorshift), so that the skewed
// tree is the same on every run.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // In (0, 1].
    double unit() { return ((next() >> 8) + 1) / 16777216.0; }

private:
    uint32_t state_;
};

// The skewed tree: 30 top-level folders, t0 holding four fifths of the
// entries (among them a folder of 10,000 files, as a system folder holds),
// the others shares of the rest that fall with their rank as 1/rank^1.3.
// (With half or two thirds in t0, two walkers that take whole top-level
// folders stayed within 0.76 of the one-thread walk: too close to a split at
// every depth to tell the two apart.) Below the top, each
// folder holds a number of files drawn from a power law (Pareto, at least 3,
// exponent 1.2) and 2 to 8 subfolders whose shares again fall with their
// rank, down to 8 levels; t0, t1 and t7 each also hold a chain of 60 nested
// folders of 3 files each. The matching names are spread as in the even
// tree: every 400th file is pend<i>.dll (500 of them), every 800th, offset
// 200, a folder pdir<i> (250).
class SkewedTree {
public:
    // The entries made (kEntries when all went well), -1 on a failure.
    int build()
    {
        const std::string marker = std::string(kSkewedTree) + "\\built.txt";
        if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
            return kEntries;
        if (!folder(kSkewedTree))
            return -1;
        entries_ = 0;
        const int tops = 30;
        const int rest = kEntries - 1 - tops;   // built.txt and the top folders
        const int big = kEntries / 5 * 4 - 1;
        double sum = 0;
        for (int rank = 1; rank < tops; ++rank)
            sum += std::pow(rank, -1.3);
        int given = 0;
        for (int top = 0; top < tops; ++top) {
            int budget = big;
            if (top > 0)
                budget = top == tops - 1 ? rest - big - given
                                         : static_cast<int>((rest - big) * std::pow(top, -1.3) / sum);
            if (top > 0)
                given += budget;
            const std::string path = std::string(kSkewedTree) + "\\t" + std::to_string(top);
            if (!folder(path))
                return -1;
            if (top == 0) {
                if (!folder(path + "\\sys") || !fill(path + "\\sys", 10000))
                    return -1;
                budget -= 10001;
            }
            if (top == 0 || top == 1 || top == 7) {
                if (!chain(path + "\\deep", 60))
                    return -1;
                budget -= 60 * 4;
            }
            if (!grow(path, budget, 1))
                return -1;
        }
        if (!makeFile(marker))
            return -1;
        return entries_ + 1;   // and built.txt
    }

private:
    bool folder(const std::string& path)
    {
        ++entries_;
        return CreateDirectoryA(path.c_str(), nullptr) != 0;
    }

    // `count` entries straight in `path`.
    bool fill(const std::string& path, int count)
    {
        for (int k = 0; k < count; ++k) {
            ++files_;
            if (files_ % 400 == 0 && pends_ < 500) {
                ++entries_;
                if (!makeFile(path + "\\pend" + std::to_string(pends_++ * 10) + ".dll"))
                    return false;
            } else if (files_ % 800 == 200 && dirs_ < 250) {
                if (!folder(path + "\\pdir" + std::to_string(dirs_++ * 10 + 1)))
                    return false;
            } else {
                ++entries_;
                if (!makeFile(path + "\\data" + std::to_string(k) + ".bin"))
                    return false;
            }
        }
        return true;
    }

    // `budget` entries below `path`, spread as the class comment says.
    bool grow(const std::string& path, int budget, int depth)
    {
        if (depth >= 8 || budget <= 24)
            return fill(path, budget);
        const int own = std::min(budget / 2, static_cast<int>(3 / std::pow(random_.unit(), 1 / 1.2)));
        const int rest = budget - own;
        const int count = std::min<int>(2 + random_.next() % 7, rest);
        std::vector<double> weights;
        double sum = 0;
        for (int j = 0; j < count; ++j) {
            weights.push_back(std::pow(j + 1, -1.5) * (0.5 + random_.unit()));
            sum += weights.back();
        }
        int given = 0;
        for (int j = 0; j < count; ++j) {
            const int share = j == count - 1 ? rest - count - given
                                             : static_cast<int>((rest - count) * weights[j] / sum);
            given += share;
            const std::string sub = path + "\\s" + std::to_string(j);
            if (!folder(sub) || !grow(sub, share, depth + 1))
                return false;
        }
        return fill(path, own);
    }

    // `levels` nested folders under `path` (itself the first), 3 files each.
    bool chain(std::string path, int levels)
    {
        for (int level = 0; level < levels; ++level) {
            if (level > 0)
                path += "\\d";
            if (!folder(path) || !fill(path, 3))
                return false;
        }
        return true;
    }

    Random random_{20261207};
    int entries_ = 0;
    int files_ = 0;
    int pends_ = 0;
    int dirs_ = 0;
};

// What a tree looks like: its entries and folders, the share of its largest
// top-level folder, its largest folder listing and its deepest level.
struct TreeShape {
    long entries = 0;
    long folders = 0;
    long largestTop = 0;
    long largestListing = 0;
    int deepest = 0;
};

bool isDots(const char* n)
{
    return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'));
}

bool isFolderToEnter(const WIN32_FIND_DATAA& entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The entries of `folder`; its subfolders to enter appended to `subfolders`.
long listFolder(const std::string& folder, std::vector<std::string>& subfolders)
{
    long entries = 0;
    WIN32_FIND_DATAA entry;
    FindHandle listing(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!listing.valid())
        return 0;
    do {
        if (isDots(entry.cFileName))
            continue;
        ++entries;
        if (isFolderToEnter(entry))
            subfolders.push_back(folder + "\\" + entry.cFileName);
    } while (FindNextFileA(listing.get(), &entry));
    return entries;
}

// The entries below `folder` (at `depth`), added into `shape`.
long describe(const std::string& folder, int depth, TreeShape& shape)
{
    std::vector<std::string> subfolders;
    long entries = listFolder(folder, subfolders);
    shape.largestListing = std::max(shape.largestListing, entries);
    shape.deepest = std::max(shape.deepest, depth);
    shape.folders += static_cast<long>(subfolders.size());
    for (const std::string& sub : subfolders) {
        const long below = describe(sub, depth + 1, shape);
        if (depth == 0)
            shape.largestTop = std::max(shape.largestTop, below + 1);
        entries += below;
    }
    if (depth == 0)
        shape.entries = entries;
    return entries;
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
    return writeReferenceMarkup(path, text);
}

// (a): the listing alone, links not entered.
long bareWalk(const std::string& folder)
{
    std::vector<std::string> subfolders;
    long entries = listFolder(folder, subfolders);
    for (const std::string& sub : subfolders)
        entries += bareWalk(sub);
    return entries;
}

// (a2): the bare walk on two threads sharing one stack of folders listed but
// not yet entered, at every depth: whichever thread is free takes the
// folder found last, so neither waits while the other has a folder to give.
// Only a single listing cannot be split. What Wine allows a walk on two
// threads at best.
long bareWalkOnTwoThreads(const std::string& root)
{
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::string> pending = {root};
    int busy = 0, waiting = 0;
    long total = 0;
    auto work = [&] {
        long counted = 0;
        std::vector<std::string> found;
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            ++waiting;
            wake.wait(hold, [&] { return !pending.empty() || busy == 0; });
            --waiting;
            if (pending.empty())
                break;
            const std::string folder = std::move(pending.back());
            pending.pop_back();
            ++busy;
            hold.unlock();
            counted += listFolder(folder, found);
            hold.lock();
            pending.insert(pending.end(), found.begin(), found.end());
            found.clear();
            --busy;
            if (waiting > 0)
                wake.notify_all();
        }
        total += counted;
        wake.notify_all();
    };
    std::thread other(work);
    work();
    other.join();
    return total;
}

class CountingReporter : public ScanReporter {
public:
    void scanStarted() override {}
    void phaseStarted(ScanPhase) override {}
    void found(const Find& find) override
    {
        ++finds;
        locations.push_back(find.location);
    }
    void currentText(const std::string&) override {}
    void itemsScanned(unsigned long) override {}
    void scanEnded() override {}
    int finds = 0;
    std::vector<std::string> locations;
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

// The calling thread's user and kernel time so far, in milliseconds.
double threadCpuMs()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// (b1, b2): the pending lists filled as the file and folder phases fill them
// (not timed), then the drive search over `folders` with `threads` walkers.
Measure driveSearch(const std::string& definitions, const std::vector<std::string>& folders,
                    int threads, int& finds)
{
    ParasiteList list;
    loadReferenceFile(definitions, list);
    CountingReporter reporter;
    // The program's set, so that the search is timed as the program runs it.
    const ProtectedPlaces protectedPlaces = protectedPlacesOfThisMachine();
    ScanRun run(list, reporter, stopRequested, protectedPlaces);
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
    const double cpu = threadCpuMs();
    const double start = nowMs();
    searchFolderTrees(run, folders, files, dirs, threads);
    const double ms = nowMs() - start;
    finds = reporter.finds;
    Measure measure{ms, memory.stop(), threadCpuMs() - cpu};
    // What of it the protected check of each find took: asked again.
    const double checks = nowMs();
    for (const std::string& location : reporter.locations)
        protectedPlaces.isProtectedPlace(location);
    measure.checksMs = nowMs() - checks;
    return measure;
}

// Runs `commandLine` with standard output into `output` (a file) and waits.
// Returns the exit code, -1 when it could not be started.
int runProcess(const std::string& commandLine, const std::string& output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ScopedHandle out(CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr));
    ScopedHandle none(CreateFileA("NUL", GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = none.get();
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

// The child of scanMemory: a whole engine scan (registry, cookies, placed
// items, the drive search over `roots` with the default walkers), its finds
// written to standard output as the console does; then its peak working set
// in KB as the last line.
int scanChild(const std::string& definitions, const std::vector<std::string>& roots)
{
    class PrintingReporter : public ScanReporter {
    public:
        void scanStarted() override {}
        void phaseStarted(ScanPhase) override {}
        void found(const Find& find) override { std::printf("%s\n", find.location.c_str()); }
        void currentText(const std::string& text) override { text_ = text; }
        void itemsScanned(unsigned long) override {}
        void scanEnded() override {}

    private:
        std::string text_;
    };
    ParasiteList list;
    if (!loadReferenceFile(definitions, list))
        return 2;
    ScanPlaces places;
    places.driveRoots = roots;
    PrintingReporter reporter;
    runFullScan(list, reporter, stopRequested, &places);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("peak %lu\n", static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024));
    return 0;
}

// The peak working set (KB) of scanChild over `roots`; -1 on failure.
long scanMemory(const std::string& definitions, const std::vector<std::string>& roots)
{
    std::string command = "\"" + programFolder() + "bench_scan.exe\" --scan-child \"" +
                          definitions + "\"";
    for (const std::string& root : roots)
        command += " \"" + root + "\"";
    const std::string output = programFolder() + "scan-child.txt";
    if (runProcess(command, output) != 0)
        return -1;
    std::string text;
    readWholeFile(output, text, FILE_SHARE_READ);
    const size_t at = text.rfind("peak ");
    return at == std::string::npos ? -1 : std::atol(text.c_str() + at + 5);
}

// Plants `count` files C:\finds\<i % 100>\find<i>.dll, writes a reference file
// of `count` parasites each naming one of them without a place, and times
// `kestrune-cli scan` of this machine. Returns the milliseconds, -1 when the
// tool did not report every find.
double consoleScan(int count)
{
    const std::string definitions = programFolder() + "finds" + std::to_string(count) + ".ks";
    std::string text = "<KS>\r\n";
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(i);
        const std::string folder = "C:\\finds\\" + std::to_string(i % 100);
        CreateDirectoryA("C:\\finds", nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        if (!makeFile(folder + "\\find" + id + ".dll"))
            return -1;
        text += "<SW NAME=\"Find " + id + "\"><FILES><FILE NAME=\"find" + id +
                ".dll\" PATH=\"\"/></FILES><DANGER_LEVEL>1</DANGER_LEVEL>"
                "<DESCRIPTION>Planted.</DESCRIPTION></SW>\r\n";
    }
    text += "</KS>\r\n";
    if (!writeReferenceMarkup(definitions, text))
        return -1;
    const std::string output = programFolder() + "finds.txt";
    const double start = nowMs();
    const int code = runProcess("\"" + programFolder() + "kestrune-cli.exe\" scan --quiet --definitions \"" +
                                    definitions + "\"",
                                output);
    const double ms = nowMs() - start;
    std::string found;
    readWholeFile(output, found, FILE_SHARE_READ);
    const long lines = static_cast<long>(std::count(found.begin(), found.end(), '\n'));
    // Also remove the planted files, so that the next count finds only its own.
    for (int i = 0; i < count; ++i)
        DeleteFileA(("C:\\finds\\" + std::to_string(i % 100) + "\\find" + std::to_string(i) + ".dll").c_str());
    DeleteFileA(definitions.c_str());
    return code == 1 && lines == count ? ms : -1;
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
            HWND hwnd = waitForMainWindow(60000);
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

// A tree of the benchmark: its name, its root and what builds it.
struct TreeUnderTest {
    const char* name;
    const char* root;
    std::function<int()> build;
};

// One tree's medians and counts.
struct TreeFigures {
    const char* name;
    TreeShape shape;
    Measure a{0, 0}, a2{0, 0}, b1{0, 0}, b2{0, 0};
    long walked = 0, walkedByTwo = 0;
    int finds1 = 0, finds2 = 0;
};

// a, b1, b2 and a2 over `tree`, alternating, three rounds after an untimed
// walk that describes the tree and warms the caches.
TreeFigures measureTree(const TreeUnderTest& tree, const std::string& definitions)
{
    TreeFigures figures;
    figures.name = tree.name;
    const double warm = nowMs();
    describe(tree.root, 0, figures.shape);
    std::printf("%s tree: warm-up walk %.1f ms\n", tree.name, nowMs() - warm);
    const std::vector<std::string> roots = {tree.root};
    std::vector<Measure> a, b1, b2, a2;
    for (int run = 0; run < 3; ++run) {
        MemorySampler memory;
        memory.start();
        const double cpu = threadCpuMs();
        const double start = nowMs();
        figures.walked = bareWalk(tree.root);
        const double ms = nowMs() - start;
        a.push_back(Measure{ms, memory.stop(), threadCpuMs() - cpu});
        b1.push_back(driveSearch(definitions, roots, 1, figures.finds1));
        b2.push_back(driveSearch(definitions, roots, 2, figures.finds2));
        const double twoStart = nowMs();
        figures.walkedByTwo = bareWalkOnTwoThreads(tree.root);
        a2.push_back(Measure{nowMs() - twoStart, 0});
        std::printf("%s tree, run %d: a %.1f ms (processor %.1f ms), b1 %.1f ms (processor %.1f ms; "
                    "its finds' protected checks alone %.1f ms), b2 %.1f ms, a2 %.1f ms\n",
                    tree.name, run + 1, a.back().ms, a.back().cpuMs, b1.back().ms, b1.back().cpuMs,
                    b1.back().checksMs, b2.back().ms, a2.back().ms);
    }
    figures.a = median(a);
    figures.a2 = median(a2);
    figures.b1 = median(b1);
    figures.b2 = median(b2);
    return figures;
}

// Prints one tree's table and ratios; true when its targets are met.
bool printTreeFigures(const TreeFigures& f)
{
    const TreeShape& s = f.shape;
    std::printf("%s tree: %ld entries, %ld folders; largest top-level folder %ld entries (%.0f%%), "
                "largest folder %ld entries, deepest level %d\n",
                f.name, s.entries, s.folders, s.largestTop, 100.0 * s.largestTop / s.entries,
                s.largestListing, s.deepest);
    std::printf("(a)  bare walk, one thread:   %8.1f ms  peak +%6ld KB  (%ld entries)\n", f.a.ms,
                f.a.peakKb, f.walked);
    std::printf("(a2) bare walk, two threads:  %8.1f ms                 (%ld entries)\n", f.a2.ms,
                f.walkedByTwo);
    std::printf("(b1) drive search, 1 walker:  %8.1f ms  peak +%6ld KB  (%d finds)\n", f.b1.ms,
                f.b1.peakKb, f.finds1);
    std::printf("(b2) drive search, 2 walkers: %8.1f ms  peak +%6ld KB  (%d finds)\n", f.b2.ms,
                f.b2.peakKb, f.finds2);
    const double a2a = f.a2.ms / f.a.ms, b1a = f.b1.ms / f.a.ms, b2a = f.b2.ms / f.a.ms,
                 b2a2 = f.b2.ms / f.a2.ms;
    std::printf("a2/a = %.2f   b1/a = %.2f (target <= 1.1)   b2/a = %.2f (target <= 0.85)   "
                "b2/a2 = %.2f (target <= 1.15)\n",
                a2a, b1a, b2a, b2a2);
    return b1a <= 1.1 && b2a <= 0.85 && b2a2 <= 1.15;
}

double medianMs(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc >= 3 && std::string(argv[1]) == "--scan-child")
        return scanChild(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    // "--walk-only": the tree, a, b1 and b2, nothing else.
    const bool walkOnly = argc >= 2 && std::string(argv[1]) == "--walk-only";

    // The console's scan at 300 and 10,000 finds, before the tree makes
    // every scan of this machine long.
    std::vector<double> few, many;
    for (int run = 0; run < 3 && !walkOnly; ++run) {
        few.push_back(consoleScan(300));
        many.push_back(consoleScan(10000));
        std::printf("run %d: kestrune-cli scan, 300 finds %.1f ms, 10,000 finds %.1f ms\n", run + 1,
                    few.back(), many.back());
        if (few.back() < 0 || many.back() < 0) {
            std::fprintf(stderr, "kestrune-cli scan did not report every planted file\n");
            return 2;
        }
    }
    const double consoleFew = walkOnly ? 0 : medianMs(few), consoleMany = walkOnly ? 0 : medianMs(many);

    SkewedTree skewed;
    const std::vector<TreeUnderTest> trees = {{"even", kTree, buildTree},
                                              {"skewed", kSkewedTree, [&] { return skewed.build(); }}};
    for (const TreeUnderTest& tree : trees) {
        std::printf("building %s ...\n", tree.root);
        const double buildStart = nowMs();
        const int built = tree.build();
        if (built != kEntries) {
            std::fprintf(stderr, "cannot build %s (%d entries)\n", tree.root, built);
            return 2;
        }
        std::printf("%s tree: %d entries (%.1f s to build)\n", tree.name, built,
                    (nowMs() - buildStart) / 1000);
    }

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

    std::vector<TreeFigures> figures;
    for (const TreeUnderTest& tree : trees) {
        figures.push_back(measureTree(tree, definitions));
        if (figures.back().finds1 != figures.back().finds2) {
            std::fprintf(stderr, "%s tree: one walker found %d, two found %d\n", tree.name,
                         figures.back().finds1, figures.back().finds2);
            return 2;
        }
    }
    if (walkOnly) {
        bool walksMet = true;
        for (const TreeFigures& f : figures)
            walksMet = printTreeFigures(f) && walksMet;
        return walksMet ? 0 : 1;
    }
    const Measure ma = figures.front().a;

    {
        ParasiteList list;
        loadReferenceFile(definitions, list);
        ScanPlaces places;
        places.cookiesFolder = systemCookiesFolder();
        places.driveRoots = {kTree};
        PhaseTimer timer;
        const double start = nowMs();
        runFullScan(list, timer, stopRequested, &places);
        std::printf("engine full scan without a window: %.1f ms (%d finds):%s\n", nowMs() - start,
                    timer.finds, timer.report.c_str());
    }

    // The scan's working set over the whole tree and over half of it,
    // alternating; the larger of three each.
    long wholeKb = 0, halfKb = 0;
    for (int run = 0; run < 3; ++run) {
        const long w = scanMemory(definitions, whole), h = scanMemory(definitions, half);
        if (w < 0 || h < 0) {
            std::fprintf(stderr, "the scan in its own process failed\n");
            return 2;
        }
        std::printf("run %d: scan peak working set %ld KB over the tree, %ld KB over half\n",
                    run + 1, w, h);
        wholeKb = std::max(wholeKb, w);
        halfKb = std::max(halfKb, h);
    }

    int rows = 0;
    std::string error;
    std::vector<Measure> c = windowScans(3, rows, error);
    if (c.size() != 3) {
        std::fprintf(stderr, "the window scans did not end as expected: %s\n", error.c_str());
        return 2;
    }
    const Measure mc = median(c);

    bool walksMet = true;
    for (const TreeFigures& f : figures)
        walksMet = printTreeFigures(f) && walksMet;
    std::printf("(c)  scan through window, even tree: %8.1f ms  peak +%6ld KB  (%d rows)\n", mc.ms,
                mc.peakKb, rows);
    std::printf("scan's peak working set: %ld KB over the tree, %ld KB over half of it\n",
                wholeKb, halfKb);
    std::printf("kestrune-cli scan: %.1f ms with 300 finds, %.1f ms with 10,000 (x%.2f for x33 "
                "finds)\n",
                consoleFew, consoleMany, consoleMany / consoleFew);
    const double ca = mc.ms / ma.ms;
    const bool memoryFlat = wholeKb <= halfKb + halfKb / 10 + 1024;
    std::printf("c/a = %.2f on the even tree (target <= 2.0)   working set %s\n", ca,
                memoryFlat ? "flat" : "GROWS with the tree");
    DeleteFileA(definitions.c_str());
    return walksMet && ca <= 2.0 && memoryFlat ? 0 : 1;
}
