// Asking whether a process still runs.
#include "platform/process_state.h"

#include "platform/handles.h"

namespace kestrune {

ProcessState processState(DWORD processId, FILETIME* started)
{
    // PROCESS_QUERY_LIMITED_INFORMATION where it exists, else the older right.
    ScopedHandle process(OpenProcess(0x1000, FALSE, processId));
    if (!process.valid())
        process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process.valid())
        return GetLastError() == ERROR_ACCESS_DENIED ? ProcessState::Unknown : ProcessState::Gone;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode))
        return ProcessState::Unknown;
    if (exitCode != STILL_ACTIVE)
        return ProcessState::Gone;
    FILETIME exited, kernel, user;
    if (started != nullptr && !GetProcessTimes(process.get(), started, &exited, &kernel, &user))
        return ProcessState::Unknown;
    return ProcessState::Running;
}

}  // namespace kestrune
