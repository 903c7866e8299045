// The window thread's message pump during the long steps of a backup or a
// removal, which run on that thread: taking the waiting messages, and waiting
// for a program while the window keeps painting. The window hands both to the
// runs as their Responsiveness.
#pragma once

#include <windows.h>

namespace kestrune {

// Takes this thread's waiting window messages until the queue is empty and
// hands each one to IsDialogMessageA with the message's own window as the
// dialog, or else to TranslateMessage and DispatchMessageA. A WM_QUIT that is
// taken is posted again and ends the pump, so a modal loop still sees it.
void pumpMessages();

// Waits until `process` has ended or `timeout` milliseconds have passed,
// handing the thread's window messages to pumpMessages meanwhile. True when
// the process ended.
bool waitWhilePumping(HANDLE process, DWORD timeout);

}  // namespace kestrune
