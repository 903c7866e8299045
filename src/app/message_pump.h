// The window thread's message pump during the long steps of a backup or a
// removal, which run on that thread: taking the waiting messages, and waiting
// for a program while the window keeps painting. The window hands both to the
// runs as their Responsiveness; the window's end waits for its scan thread
// with them too.
#pragma once

#include <windows.h>

#include <functional>

namespace kestrune {

// Takes a message before it is dispatched: true when the filter dealt with it
// (it is then neither translated nor dispatched).
using MessageFilter = std::function<bool(MSG&)>;

// Takes this thread's waiting window messages until the queue is empty and
// hands each one to `filter` (when given), then to IsDialogMessageA with the
// message's own window as the dialog, or else to TranslateMessage and
// DispatchMessageA. A WM_QUIT that is taken is posted again and ends the pump,
// so a modal loop still sees it. This is the window thread's only pump besides
// the modal loops.
void pumpMessages(const MessageFilter& filter = MessageFilter());

// Waits until `object` (a process or a thread) has ended or `timeout`
// milliseconds have passed, handing the thread's window messages to
// pumpMessages with `filter` meanwhile. True when it ended.
bool waitWhilePumping(HANDLE object, DWORD timeout, const MessageFilter& filter = MessageFilter());

}  // namespace kestrune
