// stopRequested: the process-wide request that the running scan end early.
// beginScan clears it (nothing else in the program does); the stop command
// and the window's destruction set it (through the window's ScanLife). The
// scan never reaches for it: its owner hands it to the scan as a parameter,
// and every loop of the scan threads and every step of the folder walks reads
// what it was handed; a scan that sees it set runs its end step and ends.
#pragma once

#include <atomic>

namespace kestrune {

extern std::atomic<bool> stopRequested;

// Every scan starts here: clears stopRequested, then calls `start`, which runs
// the scan on this thread or creates the thread that runs it, and returns what
// `start` returns. The request is cleared before the scan or its thread exists,
// so a stop asked for at once is never undone.
template <typename Start>
auto beginScan(Start&& start) -> decltype(start())
{
    stopRequested = false;
    return start();
}

}  // namespace kestrune
