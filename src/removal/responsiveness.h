// Responsiveness: how the long steps of a backup or a removal (copying a
// folder tree, waiting for a program to end) leave the thread that runs them
// free for its own work meanwhile. The removal never handles window messages
// itself: the window implements this with its message pump, and the console
// tool and the tests keep the defaults, which only wait.
#pragma once

#include <windows.h>

namespace kestrune {

class Responsiveness {
public:
    virtual ~Responsiveness() = default;
    // Called before each entry of a subfolder that a backup copies.
    virtual void keepResponsive() {}
    // Waits until `process` has ended or `timeout` milliseconds have passed;
    // true when it ended.
    virtual bool waitForProcess(HANDLE process, DWORD timeout)
    {
        return WaitForSingleObject(process, timeout) == WAIT_OBJECT_0;
    }
};

}  // namespace kestrune
