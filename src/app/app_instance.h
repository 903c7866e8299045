// AppInstance: where the program begins and ends. Lets one instance run per
// desktop (the named event kAlreadyRunningEventName and the window title
// kWindowTitle; a start again as administrator first waits for the instance
// that started it), decides the data folder, writes the default settings on
// the first run, and runs MainWindow modally for the whole life of the
// process.
#pragma once

#include "app/main_window.h"
#include "platform/handles.h"

#include <windows.h>

namespace kestrune {

extern const char kAlreadyRunningEventName[];

class AppInstance {
public:
    AppInstance() = default;
    virtual ~AppInstance() = default;
    AppInstance(const AppInstance&) = delete;
    AppInstance& operator=(const AppInstance&) = delete;

    // The start-up: single-instance test, first-run settings, then the main
    // window's modal run. Returns false in every path (the process then
    // finishes); the main window's whole life lies inside this call.
    bool start(const MainWindowOptions& options = MainWindowOptions());

    // Resets the event to non-signalled, unless the instance stopped because
    // it found the event signalled; closes this process's handle either way.
    void finish();

    bool exitedOnSignal() const { return exitedOnSignal_; }
    // The main window ran in this instance (the single-instance test passed).
    bool ranMainWindow() const { return ranMainWindow_; }

private:
    ScopedHandle alreadyRunningEvent_;
    bool exitedOnSignal_ = false;
    bool ranMainWindow_ = false;
};

// True when another instance is found: the event is signalled (sets
// `signalled`) or a top-level window titled kWindowTitle exists.
bool anotherInstanceRuns(HANDLE event, bool& signalled);

// Waits up to `timeoutMs` until no top-level window titled kWindowTitle is
// left; true when none is. A start with kRestartArgument waits so for the
// instance that started it to close.
bool waitForEarlierInstance(DWORD timeoutMs);

}  // namespace kestrune
