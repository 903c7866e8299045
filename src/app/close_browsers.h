// The question before a scan that offers to close the browser and folder
// windows, and the ending of their programs after a Yes. Window thread only.
#pragma once

#include "platform/message_boxes.h"
#include "safety/protected_places.h"

#include <windows.h>

namespace kestrune {

// The text and caption of the question that closeBrowserWindows asks
// (kTopmostQuestionStyle).
extern const char kCloseBrowsersText[];
extern const char kCloseBrowsersCaption[];

// Asks, with no owner, whether to close all Internet Explorer and folder
// windows. On Yes, ends the process of every top-level window of class
// "IEFrame", then of every one of class "CabinetWClass" (class by class), one
// process at a time. Each process gets one
// try: it is terminated and waited for a short while. Three kinds of process
// are never ended: this program, the one that owns the shell window
// (GetShellWindow: ending it would take the desktop and the taskbar with it)
// and one whose image is a protected file of `places` or cannot be read;
// their browser and folder windows are sent WM_CLOSE instead. The loop over a
// class stops when every process with a window of it has had its try. Returns the number
// of processes that ended; 0 on any answer but Yes.
int closeBrowserWindows(MessageBoxes& boxes, const ProtectedPlaces& places);
// The same with the places of this machine and Kestrune's own, built only
// after a Yes.
int closeBrowserWindows(MessageBoxes& boxes);

}  // namespace kestrune
