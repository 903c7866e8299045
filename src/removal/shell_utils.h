// The shell and the message queue: starting an external program without
// waiting for it, the user's cookies folder, the question that offers to close
// browser and folder windows before a scan, and the message pump that keeps
// the window painting during long copies. Called on the window thread.
#pragma once

#include "platform/handles.h"
#include "platform/message_boxes.h"
#include "safety/protected_places.h"

#include <string>

namespace kestrune {

// Starts `file` with `parameters` through the shell (default verb, no owner,
// SW_SHOWNORMAL) and returns at once. True when the shell accepted the start
// (a result of 32 or more), even when the program fails afterwards.
bool launchProgram(const std::string& file, const std::string& parameters);

// As above, and hands back the started process in `process` for a caller that
// must wait for the program's work (the handle stays empty when the shell
// started nothing new, for example through DDE). Shows no error UI.
bool launchProgram(const std::string& file, const std::string& parameters,
                   ScopedHandle& process);

// The user's cookies folder (CSIDL_COOKIES, not created); empty text when it
// cannot be determined.
std::string cookiesFolder();

// The text and caption of the question that closeBrowserWindows asks
// (kTopmostQuestionStyle).
extern const char kCloseBrowsersText[];
extern const char kCloseBrowsersCaption[];

// Asks, with no owner, whether to close all Internet Explorer and folder
// windows. On Yes, ends the process of every top-level window of class
// "IEFrame" or "CabinetWClass", one process at a time. Each process gets one
// try: it is terminated and waited for a short while. Three kinds of process
// are never ended: this program, the one that owns the shell window
// (GetShellWindow: ending it would take the desktop and the taskbar with it)
// and one whose image is a protected file of `places` or cannot be read;
// their browser and folder windows are sent WM_CLOSE instead. The loop stops
// when every process with such a window has had its try. Returns the number
// of processes that ended; 0 on any answer but Yes.
int closeBrowserWindows(MessageBoxes& boxes, const ProtectedPlaces& places);
// The same with the places of this machine and Kestrune's own, built only
// after a Yes.
int closeBrowserWindows(MessageBoxes& boxes);

// Takes this thread's waiting window messages until the queue is empty and
// hands each one to IsDialogMessageA with the message's own window as the
// dialog, or else to TranslateMessage and DispatchMessageA. A WM_QUIT that is
// taken is posted again and ends the pump, so a modal loop still sees it.
void pumpMessages();

}  // namespace kestrune
