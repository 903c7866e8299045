// AppInstance: start-up and shutdown.
#include "app/app_instance.h"

#include "app/command_line.h"
#include "settings/data_folder.h"
#include "settings/settings_store.h"

#include <commctrl.h>

namespace kestrune {

const char kAlreadyRunningEventName[] = "APP_ALREADY_RUNNING_CHECK";

namespace {

// How long a start again as administrator waits for the old window.
const DWORD kRestartWaitMs = 10000;

}  // namespace

bool anotherInstanceRuns(HANDLE event, bool& signalled)
{
    signalled = false;
    if (event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
        signalled = true;
        return true;
    }
    return FindWindowA(nullptr, kWindowTitle) != nullptr;
}

bool waitForEarlierInstance(DWORD timeoutMs)
{
    const DWORD started = GetTickCount();
    while (FindWindowA(nullptr, kWindowTitle) != nullptr) {
        if (GetTickCount() - started >= timeoutMs)
            return false;
        Sleep(100);
    }
    return true;
}

bool AppInstance::start(const MainWindowOptions& options)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    // Started again as administrator by a running instance, which closes
    // once the start has succeeded: its window must not refuse this one.
    if (isRestartArgument(commandLineArguments(GetCommandLineA())))
        waitForEarlierInstance(kRestartWaitMs);

    exitedOnSignal_ = false;
    alreadyRunningEvent_.reset(CreateEventA(nullptr, TRUE, FALSE, kAlreadyRunningEventName));
    bool signalled = false;
    if (anotherInstanceRuns(alreadyRunningEvent_.get(), signalled)) {
        exitedOnSignal_ = signalled;
        return false;
    }

    dataFolder();   // the write test in the program folder, once, for the whole run
    const bool firstRun = settingsMissing();
    if (firstRun)
        createDefaultSettings();

    ranMainWindow_ = true;
    {
        MainWindow window(firstRun, options);
        window.runModal();
    }
    return false;
}

void AppInstance::finish()
{
    if (exitedOnSignal_) {
        // Another process signalled the event: leave its state untouched,
        // only give up this process's handle to it.
        alreadyRunningEvent_.reset();
        return;
    }
    if (alreadyRunningEvent_.valid())
        ResetEvent(alreadyRunningEvent_.get());
    alreadyRunningEvent_.reset();
}

}  // namespace kestrune
