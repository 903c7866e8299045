// WindowRemoval: the main window's side of the remove command. It is the
// RemovalHost that the removal flow drives (the window's state, status line,
// result rows and scan guard), keeps the window's logFileName and owns the
// flow, so that a command pressed while the flow's questions are open is
// refused. Window thread only.
#pragma once

#include "app/removal_flow.h"

#include <string>

namespace kestrune {

class MainWindow;

class WindowRemoval : public RemovalHost {
public:
    explicit WindowRemoval(MainWindow& window) : window_(window), flow_(*this) {}
    WindowRemoval(const WindowRemoval&) = delete;
    WindowRemoval& operator=(const WindowRemoval&) = delete;

    // The "DELETE PARASITES" button and the Yes to the end-of-scan offer.
    // Refused while a scan holds the list or the flow is under way.
    void removeCommand();
    bool busy() const { return flow_.busy(); }

    // RemovalHost
    HWND ownerWindow() override;
    MessageBoxes& messageBoxes() override;
    ParasiteList& parasiteList() override;
    int resultRowCount() override;
    std::vector<Find> checkedFinds() override;
    const ScanResults* scanResults() override;
    // A scan counts from the creation of its thread until the window has
    // handled its end, and as long as the thread runs.
    bool scanThreadRunning() override;
    bool takeRebootPending() override;
    void showState(RemovalState state) override;
    void setStatusText(const std::string& text) override;
    void setLogFileName(const std::string& name) override;
    void clearResults() override;
    // Starts Kestrune.exe as administrator with kRestartArgument and ends
    // the main window when it started.
    bool restartAsAdministrator() override;

private:
    MainWindow& window_;
    RemovalFlow flow_;
    std::string logFileName_;   // the log name the last removal run chose
};

}  // namespace kestrune
