// The benchmarks' clock, memory figures, files and window search.
#include "bench_support.h"

#include "app/main_window.h"
#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "platform/handles.h"

#include "resource.h"

#include <psapi.h>

#include <algorithm>

namespace bench {

double nowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * counter.QuadPart / frequency.QuadPart;
}

namespace {

PROCESS_MEMORY_COUNTERS memoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

BOOL CALLBACK matchMainWindow(HWND candidate, LPARAM found)
{
    char title[64] = "";
    GetWindowTextA(candidate, title, sizeof title);
    HWND scan = GetDlgItem(candidate, IDC_SCAN);
    if (std::string(title) != kestrune::kWindowTitle ||
        GetDlgItem(candidate, IDC_RESULT_LIST) == nullptr || scan == nullptr ||
        !IsWindowEnabled(scan))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
}

}  // namespace

SIZE_T privateBytes()
{
    return memoryCounters().PagefileUsage;
}

SIZE_T workingSet()
{
    return memoryCounters().WorkingSetSize;
}

SIZE_T peakWorkingSet()
{
    return memoryCounters().PeakWorkingSetSize;
}

void MemorySampler::start()
{
    base_ = privateBytes();
    peak_ = base_;
    running_ = true;
    thread_ = std::thread([this] {
        while (running_) {
            SIZE_T now = privateBytes();
            if (now > peak_)
                peak_ = now;
            Sleep(2);
        }
    });
}

long MemorySampler::stop()
{
    running_ = false;
    thread_.join();
    SIZE_T now = privateBytes();
    if (now > peak_)
        peak_ = now;
    return static_cast<long>((peak_ - base_) / 1024);
}

bool makeFile(const std::string& path)
{
    kestrune::ScopedHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return file.valid();
}

bool writeReferenceMarkup(const std::string& path, std::string markup)
{
    kestrune::scrambleBytes(markup);
    return kestrune::writeWholeFile(path, markup);
}

Measure median(std::vector<Measure> runs)
{
    std::sort(runs.begin(), runs.end(),
              [](const Measure& x, const Measure& y) { return x.ms < y.ms; });
    return runs[runs.size() / 2];
}

HWND findMainWindow()
{
    HWND hwnd = nullptr;
    EnumWindows(matchMainWindow, reinterpret_cast<LPARAM>(&hwnd));
    return hwnd;
}

HWND waitForMainWindow(DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 10) {
        if (HWND hwnd = findMainWindow())
            return hwnd;
        if (waited >= timeoutMs)
            return nullptr;
        Sleep(10);
    }
}

}  // namespace bench
