// stopRequested: the process-wide request that the running scan end early.
// The start commands clear it before they create a scan thread (so that a stop
// confirmed at once is never lost); the stop command and the window's
// destruction set it. Every loop of the scan threads and every step of the
// folder walks reads it; a scan that sees it set runs its end step and ends.
#pragma once

#include <atomic>

namespace kestrune {

extern std::atomic<bool> stopRequested;

}  // namespace kestrune
