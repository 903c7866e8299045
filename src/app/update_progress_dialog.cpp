// UpdateProgressDialog and the messages of the version check.
#include "app/update_progress_dialog.h"

#include "app/window_messages.h"

#include "platform/boundary.h"
#include "platform/text_compare.h"
#include "settings/data_folder.h"
#include "ui/system_modal.h"
#include "update/update_event.h"
#include "update/update_server.h"
#include "update/version_check.h"

#include "resource.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kestrune {

const char kCheckingMessage[] = "Checking for updates...";
const char kDownloadingMessage[] = "Downloading reference file...";

namespace {

const char kConnectionError[] =
    "Error Connecting to Kestrune server , Please be sure you are connected to the internet and "
    "that no firewall is active that might be preventing Kestrune from accessing the internet.";
const char kRefusedName[] =
    "The update server named an invalid reference file. Nothing was downloaded.";
const char kAlreadyUpdated[] =
    "Your reference file is already updated!\nDo you still want to download the latest file?";

// How long closing the program waits for a cancelled transfer to end.
const unsigned kCancelWaitMs = 2000;

const UINT kErrorStyle = MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND;
const UINT kAlertStyle = MB_YESNO | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND;

}  // namespace

CheckResult checkForUpdate(MessageBoxes& boxes, std::string& fileName)
{
    std::string announced;
    VersionCheck check = checkVersionPage(announced);
    return reportVersionCheck(boxes, check, announced, fileName);
}

CheckResult reportVersionCheck(MessageBoxes& boxes, VersionCheck check,
                               const std::string& announced, std::string& fileName)
{
    switch (check) {
    case VersionCheck::NoAnswer:
        boxes.show(nullptr, kConnectionError, "Error", kErrorStyle);
        return CheckResult::Failed;
    case VersionCheck::RefusedName:
        boxes.show(nullptr, kRefusedName, "Error", kErrorStyle);
        return CheckResult::Failed;
    case VersionCheck::Newer:
        break;
    case VersionCheck::SameName:
        if (boxes.show(nullptr, kAlreadyUpdated, "Alert", kAlertStyle) != IDYES)
            return CheckResult::NotWanted;
        break;
    }
    fileName = announced;
    return CheckResult::Available;
}

struct UpdateProgressDialog::Transfer {
    TransferCancel cancel;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    VersionCheck versionCheck = VersionCheck::NoAnswer;
    std::string announced;
    DownloadOutcome outcome = DownloadOutcome::DownloadFailed;

    void finish(HWND dialog)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        ended.notify_all();
        if (!cancel.cancelled())
            PostMessageA(dialog, WM_UPDATE_TRANSFER_DONE, 0, 0);
    }
};

UpdateProgressDialog::~UpdateProgressDialog()
{
    waitForTransfer();
}

// A cancelled transfer that does not end in time is left to end on its own
// (the program is closing); it holds its share of Transfer.
void UpdateProgressDialog::waitForTransfer()
{
    if (!thread_.joinable())
        return;
    if (cancelled_) {
        std::unique_lock<std::mutex> lock(transfer_->mutex);
        Transfer& transfer = *transfer_;
        if (!transfer.ended.wait_for(lock, std::chrono::milliseconds(kCancelWaitMs),
                                     [&transfer] { return transfer.done; })) {
            lock.unlock();
            thread_.detach();
            return;
        }
    }
    thread_.join();
}

bool UpdateProgressDialog::run()
{
    if (cancelled_)
        return false;
    host_.setUpdateUnderWay(this);
    bool ended = runModal(IDD_UPDATE_PROGRESS, host_.window()) == IDOK;
    host_.setUpdateUnderWay(nullptr);
    return ended && !cancelled_;
}

void UpdateProgressDialog::cancel()
{
    cancelled_ = true;
    if (transfer_)
        transfer_->cancel.cancel();
    if (window_ != nullptr && IsWindow(window_))
        EndDialog(window_, IDCANCEL);
    waitForTransfer();
}

INT_PTR UpdateProgressDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        onTimer(wParam);
        return TRUE;
    case WM_UPDATE_TRANSFER_DONE:
        onTransferDone();
        return TRUE;
    case WM_COMMAND:
        // No buttons: Esc and Enter must not end a phase half way.
        return TRUE;
    }
    return FALSE;
}

INT_PTR UpdateProgressDialog::onInitDialog(HWND dialog)
{
    keepSystemModalOnTop(dialog);
    SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, message_.c_str());
    if (checkResult_ == CheckResult::Available)
        checkResult_ = CheckResult::NotWanted;
    UpdateTimings timings = host_.updateTimings();
    if (sameText(message_, kCheckingMessage))
        SetTimer(dialog, IDT_UPDATE_CHECK, timings.phaseDelayMs, nullptr);
    else if (sameText(message_, kDownloadingMessage))
        SetTimer(dialog, IDT_UPDATE_DOWNLOAD, timings.phaseDelayMs, nullptr);
    else
        SetTimer(dialog, IDT_UPDATE_CLOSE, 0, nullptr);
    return TRUE;
}

void UpdateProgressDialog::onTimer(UINT_PTR id)
{
    KillTimer(window_, id);
    if (thread_.joinable() || cancelled_)
        return;
    HWND dialog = window_;
    phase_ = id;
    if (id == IDT_UPDATE_CHECK) {
        auto transfer = std::make_shared<Transfer>();
        transfer_ = transfer;
        thread_ = std::thread([transfer, dialog] {
            // A check that threw leaves NoAnswer.
            threadBoundary("update check thread", [&] {
                transfer->versionCheck = checkVersionPage(transfer->announced, &transfer->cancel);
            });
            transfer->finish(dialog);
        });
    } else if (id == IDT_UPDATE_DOWNLOAD) {
        auto transfer = std::make_shared<Transfer>();
        transfer_ = transfer;
        const std::string url = host_.updateUrl();
        const std::string target = host_.downloadTarget();
        const UpdateTimings timings = host_.updateTimings();
        thread_ = std::thread([transfer, dialog, url, target, timings] {
            // A download that threw leaves DownloadFailed.
            threadBoundary("update download thread", [&] {
                DownloadBounds bounds;
                bounds.maxSize = timings.maxDownloadSize;
                bounds.transferMs = timings.transferMs;
                bounds.cancel = &transfer->cancel;
                transfer->outcome = downloadReferenceFile(url, target, bounds);
                if (!transfer->cancel.cancelled())
                    writeUpdateEvent(transfer->outcome, target);
            });
            transfer->finish(dialog);
        });
    } else {
        EndDialog(window_, IDOK);
    }
}

void UpdateProgressDialog::onTransferDone()
{
    if (!thread_.joinable() || cancelled_)
        return;
    thread_.join();
    if (phase_ == IDT_UPDATE_CHECK)
        finishCheckPhase();
    else
        downloadOutcome_ = transfer_->outcome;
    EndDialog(window_, IDOK);
}

void UpdateProgressDialog::finishCheckPhase()
{
    std::string fileName;
    CheckResult result = reportVersionCheck(host_.messageBoxes(), transfer_->versionCheck,
                                           transfer_->announced, fileName);
    checkResult_ = result;
    if (result != CheckResult::Available)
        return;
    const std::string folder = dataFolder();
    if (folder.empty()) {
        // Without a data folder the target would be a bare relative name.
        checkResult_ = CheckResult::Failed;
        return;
    }
    host_.updateUrl() = downloadBaseUrl() + fileName;
    host_.downloadTarget() = folder + fileName;
}

}  // namespace kestrune
