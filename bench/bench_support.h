// What the benchmarks share: a millisecond clock, the process's memory
// figures with a sampler of their peak, plain file creation, medians, and
// finding Kestrune's main window once it is idle.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace bench {

double nowMs();

// The process's private bytes (PagefileUsage) now.
SIZE_T privateBytes();
// The process's working set now, and its peak so far.
SIZE_T workingSet();
SIZE_T peakWorkingSet();

// The highest private memory above the level at start(), sampled on a thread.
class MemorySampler {
public:
    void start();
    // Kilobytes above the start level.
    long stop();

private:
    std::atomic<bool> running_{false};
    std::atomic<SIZE_T> peak_{0};
    SIZE_T base_ = 0;
    std::thread thread_;
};

// Creates (or empties) the file; true on success.
bool makeFile(const std::string& path);
// Scrambles the markup of a reference file and writes it to `path`.
bool writeReferenceMarkup(const std::string& path, std::string markup);

struct Measure {
    double ms;
    long peakKb;
    double cpuMs = 0;      // the calling thread's processor time, where measured
    double checksMs = 0;   // the protected checks of the finds, timed apart
};
// The run with the median time.
Measure median(std::vector<Measure> runs);

// Kestrune's main window (not the loading dialog or the icon's hidden
// window) while its scan button is enabled; null when there is none.
HWND findMainWindow();
// findMainWindow, asked every 10 ms for up to `timeoutMs`.
HWND waitForMainWindow(DWORD timeoutMs);

}  // namespace bench
