// UpdateProgressDialog: the borderless progress window (IDD_UPDATE_PROGRESS)
// that is up while the update checks the version page or downloads a
// reference file. Its message selects the phase it runs; every showing runs
// one phase and closes itself. Also checkForUpdate, the check phase with its
// messages.
#pragma once

#include "app/update_host.h"
#include "ui/dialog.h"
#include "update/reference_download.h"

#include <windows.h>

#include <string>

namespace kestrune {

// The window's two messages, one for each phase.
extern const char kCheckingMessage[];
extern const char kDownloadingMessage[];

enum class CheckResult {
    Available,   // a file should be downloaded; its name is set
    NotWanted,   // the server names the installed file and the user declined
    Failed,      // no usable answer: connection, status, size or a refused name
};

// Runs checkVersionPage and tells the user its outcome in messages without
// owner: the connection error, the refused name's error, or the question
// whether to download the file anyway when the names are equal.
CheckResult checkForUpdate(MessageBoxes& boxes, std::string& fileName);

class UpdateProgressDialog : public Dialog {
public:
    explicit UpdateProgressDialog(UpdateHost& host) : host_(host) {}

    void setMessage(const std::string& message) { message_ = message; }

    // Shows the dialog modally over the host's window and runs the phase of
    // the message. False when the dialog could not be shown at all.
    bool run();

    // Set by the check phase: 1 when a download should follow.
    int updateAvailable() const { return updateAvailable_; }
    // The check phase failed (as opposed to: nothing to download).
    bool checkFailed() const { return checkFailed_; }
    // What the last download phase did; DownloadFailed before any.
    DownloadOutcome downloadOutcome() const { return downloadOutcome_; }

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onTimer(UINT_PTR id);
    void runCheckPhase();
    void runDownloadPhase();

    UpdateHost& host_;
    HWND dialog_ = nullptr;
    std::string message_;
    int updateAvailable_ = 0;
    bool checkFailed_ = false;
    DownloadOutcome downloadOutcome_ = DownloadOutcome::DownloadFailed;
};

}  // namespace kestrune
