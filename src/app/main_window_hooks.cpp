// MainWindow's scan and removal hooks: the scan commands, the stop and delete
// commands, the scan messages, the result list's set-up and selection, the
// start-up scan timer and the scan thread's end on window destruction. The
// scan and removal code replaces this file with the real handlers; until then
// the window keeps its idle behaviour.
#include "app/main_window.h"

namespace kestrune {

void MainWindow::setUpResultList() {}

void MainWindow::onScanCommand() {}

void MainWindow::onFolderScanCommand() {}

void MainWindow::onStopScanCommand() {}

void MainWindow::onDeleteCommand() {}

void MainWindow::onScanState(int state)
{
    setUiState(state);
}

void MainWindow::onFound(UINT, WPARAM, LPARAM) {}

void MainWindow::onResultListItemChanged(const NMLISTVIEW&) {}

void MainWindow::onStartupScanTimer()
{
    KillTimer(window(), 108);
}

void MainWindow::onDestroyScanThread()
{
    if (scanThreadStarted && scanThread.valid())
        TerminateThread(scanThread.get(), 0);
}

}  // namespace kestrune
