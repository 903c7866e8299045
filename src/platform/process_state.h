// Whether a process still runs, as far as this process may ask: shared by
// the clean-up of what killed runs left behind (temporary copies, half
// written files), which must never take a live run's files.
#pragma once

#include <windows.h>

namespace kestrune {

enum class ProcessState {
    Running,   // it runs
    Gone,      // no such process, or it has ended
    Unknown,   // there, but not ours to ask (access denied), or not answerable
};

// The state of process `processId`; when it runs and `started` is given, its
// start time goes there (Unknown when that cannot be read).
ProcessState processState(DWORD processId, FILETIME* started = nullptr);

}  // namespace kestrune
