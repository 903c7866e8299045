// The main window as the removal flow's host.
#include "app/window_removal.h"

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/ui_state.h"
#include "platform/elevation.h"
#include "settings/settings_store.h"

#include "resource.h"

namespace kestrune {

HWND WindowRemoval::ownerWindow()
{
    return window_.window();
}

MessageBoxes& WindowRemoval::messageBoxes()
{
    return window_.messageBoxes();
}

ParasiteList& WindowRemoval::parasiteList()
{
    return window_.parasiteList();
}

int WindowRemoval::resultRowCount()
{
    return window_.scanCommands().resultRowCount();
}

const ScanResults* WindowRemoval::scanResults()
{
    return &window_.scanCommands().scanResults();
}

std::vector<Find> WindowRemoval::checkedFinds()
{
    return window_.scanCommands().checkedFinds();
}

bool WindowRemoval::scanThreadRunning()
{
    return window_.scanCommands().life().holdsList();
}

bool WindowRemoval::takeRebootPending()
{
    return window_.scanCommands().life().takeRebootPending();
}

void WindowRemoval::removeCommand()
{
    if (window_.scanCommands().life().mayStartRemoval(flow_.busy()))
        flow_.removeCommand();
}

void WindowRemoval::showState(RemovalState state)
{
    switch (state) {
    case RemovalState::BackingUp:
        window_.setUiState(UiState::BackingUp);
        break;
    case RemovalState::Removing:
        window_.setUiState(UiState::Removing);
        break;
    case RemovalState::Idle:
        window_.setUiState(UiState::Idle);
        break;
    }
}

void WindowRemoval::setStatusText(const std::string& text)
{
    SetDlgItemTextA(window_.window(), IDC_STATUS_LINE, text.c_str());
}

void WindowRemoval::setLogFileName(const std::string& name)
{
    logFileName_ = name;
}

void WindowRemoval::clearResults()
{
    window_.scanCommands().clearResults();
}

// The new instance waits for this window to go (kRestartArgument), so the
// single-instance test lets it through.
bool WindowRemoval::restartAsAdministrator()
{
    const std::string program = programPath();
    if (program.empty() || !launchElevated(window_.window(), program, kRestartArgument))
        return false;
    window_.endWindow(IDOK);
    return true;
}

}  // namespace kestrune
