// MainWindow's scan and removal hooks: the scan commands, the scan messages,
// the result list's set-up and selection, the start-up scan timer and the
// scan thread's end on window destruction, all handed to ScanCommands. The
// delete command goes to WindowRemoval.
#include "app/main_window.h"

namespace kestrune {

void MainWindow::setUpResultList()
{
    scanCommands_.setUpResultList();
}

void MainWindow::onScanCommand()
{
    scanCommands_.startScan();
}

void MainWindow::onFolderScanCommand()
{
    scanCommands_.startFolderScan();
}

void MainWindow::onStopScanCommand()
{
    scanCommands_.stopScan();
}

// The removal command ("DELETE PARASITES").
void MainWindow::onDeleteCommand()
{
    removal_.removeCommand();
}

void MainWindow::onScanState(int state)
{
    scanCommands_.onScanState(state);
}

void MainWindow::onFound(UINT message, WPARAM wParam, LPARAM lParam)
{
    scanCommands_.onFound(message, wParam, lParam);
}

void MainWindow::onResultListItemChanged(const NMLISTVIEW& change)
{
    scanCommands_.onItemChanged(change);
}

void MainWindow::onStartupScanTimer()
{
    scanCommands_.onStartupScanTimer();
}

void MainWindow::onDestroyScanThread()
{
    scanCommands_.onDestroy();
}

void MainWindow::showFromNotificationArea()
{
    statusAreaIcon_.setIconState(false, true);
}

// The Yes to the end-of-scan delete offer runs what "DELETE PARASITES" runs.
void MainWindow::runRemoveCommand()
{
    onDeleteCommand();
}

// A scan is refused while the removal flow runs: its questions have no
// owner, and a scan started under one would take the list from it.
bool MainWindow::removalUnderWay() const
{
    return removal_.busy();
}

}  // namespace kestrune
