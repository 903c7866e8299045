// UpdateProgressDialog: the borderless progress window (IDD_UPDATE_PROGRESS)
// that is up while the update checks the version page or downloads a
// reference file. Its message selects the phase it runs; every showing runs
// one phase and closes itself. The phase's transfer runs on a thread of its
// own, so that the dialog and its owner keep painting and answering while a
// slow server is waited for; what follows it (questions, messages) runs on
// the dialog's thread once the transfer has ended. Also checkForUpdate, the
// check phase with its messages.
#pragma once

#include "app/update_host.h"
#include "ui/dialog.h"
#include "update/reference_download.h"
#include "update/version_check.h"

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

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

// The messages part of checkForUpdate: tells the user `check`'s outcome for
// the `announced` name.
CheckResult reportVersionCheck(MessageBoxes& boxes, VersionCheck check,
                               const std::string& announced, std::string& fileName);

class UpdateProgressDialog : public Dialog {
public:
    explicit UpdateProgressDialog(UpdateHost& host) : host_(host) {}
    // Waits for a transfer still under way (it ends within the fetch's
    // timeouts; after cancel() only briefly).
    ~UpdateProgressDialog() override;
    UpdateProgressDialog(const UpdateProgressDialog&) = delete;
    UpdateProgressDialog& operator=(const UpdateProgressDialog&) = delete;

    void setMessage(const std::string& message) { message_ = message; }

    // Shows the dialog modally over the host's window and runs the phase of
    // the message. False when the dialog could not be shown at all.
    bool run();

    // Closing the program: ends the transfer under way (nothing is then
    // installed) and the dialog, whose run() returns false.
    void cancel();

    // What the check phase found: Available when a download should follow,
    // Failed when it failed, NotWanted when there is nothing to download
    // (also before any check).
    CheckResult checkResult() const { return checkResult_; }
    // What the last download phase did; DownloadFailed before any.
    DownloadOutcome downloadOutcome() const { return downloadOutcome_; }

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onTimer(UINT_PTR id);
    void onTransferDone();
    void finishCheckPhase();
    void waitForTransfer();

    // What the transfer thread shares with the dialog; it outlives the
    // dialog when a cancelled transfer does not end in time.
    struct Transfer;

    UpdateHost& host_;
    std::string message_;
    CheckResult checkResult_ = CheckResult::NotWanted;
    DownloadOutcome downloadOutcome_ = DownloadOutcome::DownloadFailed;
    // The transfer of the phase that runs.
    std::shared_ptr<Transfer> transfer_;
    std::thread thread_;
    UINT_PTR phase_ = 0;
    bool cancelled_ = false;
};

}  // namespace kestrune
