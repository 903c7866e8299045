// runUpdate, downloadWithRetry, repairReferenceFile and the first-run reminder.
#include "app/reference_update.h"

#include "app/ui_state.h"
#include "app/update_progress_dialog.h"

#include "product.h"

namespace kestrune {

namespace {

const char kNotFound[] =
    "Reference file can not be found on its appropriate path.\n"
    "Please set a valid path for reference file in Preferences.";
const char kDamaged[] = "Reference file found damaged or corrupt.\n";
const char kDownloadOffer[] = "Do you want to download the latest reference file from our website? ";
const char kGivingUp[] =
    "You chose not to download or repair the reference file. Without a reference \n"
    "file the program will not be able to work and will be automatically closed.";
const char kRetryQuestion[] =
    "Failed to download or repair the reference file. Without a reference file the \n"
    "program will not be able to work and will be automatically closed.\n\n"
    "Do you want to try to download reference file once again?";
const char kReminder[] =
    "It is strongly recommended to update your protection to protect yourself again the latest "
    "parasites we detect\n Proceed with the upgrade?";
const char kScanRunning[] =
    "The reference file cannot be updated while a scan is running.\n"
    "Please try again when the scan has finished.";
const char kDownloadFailed[] =
    "The reference file could not be downloaded, or the downloaded file is not a valid "
    "reference file.\nThe reference file in use has not been changed.";

const char kBadSignature[] =
    "The update was refused because the reference file's signature is missing or wrong.\n"
    "The reference file in use has not been changed.";

const char kNoStatement[] =
    "The update was refused because the server's release statement is missing or its signature "
    "is wrong.\nThe reference file in use has not been changed.";
const char kNotTheRelease[] =
    "The update was refused because the downloaded file is not the one the server's release "
    "statement names.\nThe reference file in use has not been changed.";
const char kOlderRelease[] =
    "The update was refused because the server offers an older release than the one "
    "installed.\nThe reference file in use has not been changed.";
const char kExpiredRelease[] =
    "The update was refused because the server's release statement has expired.\n"
    "The reference file in use has not been changed.";

const char kQuestionCaption[] = KESTRUNE_NAME;
const char kReminderCaption[] = KESTRUNE_TITLE;

void pause(const UpdateHost& host)
{
    Sleep(host.updateTimings().pauseMs);
}

// Why a download was refused; null when it was not refused but failed.
const char* refusalText(DownloadOutcome outcome)
{
    switch (outcome) {
    case DownloadOutcome::BadSignature:
        return kBadSignature;
    case DownloadOutcome::NoStatement:
        return kNoStatement;
    case DownloadOutcome::NotTheRelease:
        return kNotTheRelease;
    case DownloadOutcome::OlderRelease:
        return kOlderRelease;
    case DownloadOutcome::ExpiredRelease:
        return kExpiredRelease;
    default:
        return nullptr;
    }
}

// The state after the download phase. An installed file keeps the commands
// off until it is loaded: the update has not ended before, and a command taken
// in between would find the window busy with the reload.
UiState afterDownload(bool installed)
{
    return installed ? UiState::CheckingReferenceFile : UiState::Idle;
}

bool askTryAgain(UpdateHost& host)
{
    return host.messageBoxes().show(host.window(), kRetryQuestion, kQuestionCaption,
                                    MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

void runUpdate(UpdateHost& host)
{
    if (host.scanThreadRunning()) {
        showPlainMessage(host.messageBoxes(), host.window(), kScanRunning);
        return;
    }
    UpdateProgressDialog dialog(host);
    dialog.setMessage(kCheckingMessage);
    dialog.run();
    host.setUiState(UiState::Idle);
    if (host.closing())
        return;
    pause(host);
    if (dialog.checkResult() != CheckResult::Available)
        return;

    host.setUiState(UiState::Downloading);
    dialog.setMessage(kDownloadingMessage);
    bool shown = dialog.run();
    const bool installed = shown && dialog.downloadOutcome() == DownloadOutcome::Installed;
    host.setUiState(afterDownload(installed));
    if (host.closing())
        return;
    pause(host);
    if (!installed) {
        const char* refused = shown ? refusalText(dialog.downloadOutcome()) : nullptr;
        showPlainMessage(host.messageBoxes(), host.window(),
                         refused != nullptr ? refused : kDownloadFailed);
        return;
    }
    // The progress dialogs are modal to the window, so no scan can have
    // started meanwhile; the test stays as the list's last guard.
    if (host.scanThreadRunning()) {
        host.setUiState(UiState::Idle);
        return;
    }
    repairReferenceFile(host);
}

bool downloadWithRetry(UpdateHost& host)
{
    for (;;) {
        UpdateProgressDialog check(host);
        check.setMessage(kCheckingMessage);
        bool shown = check.run();
        host.setUiState(UiState::Idle);
        if (host.closing())
            return false;
        pause(host);
        if (shown && check.checkResult() == CheckResult::NotWanted)
            return false;   // nothing to download, or the user declined it
        if (shown && check.checkResult() == CheckResult::Available) {
            host.setUiState(UiState::Downloading);
            UpdateProgressDialog download(host);
            download.setMessage(kDownloadingMessage);
            bool shownDownload = download.run();
            const bool installed =
                shownDownload && download.downloadOutcome() == DownloadOutcome::Installed;
            host.setUiState(afterDownload(installed));
            if (host.closing())
                return false;
            pause(host);
            if (installed)
                return true;
            const char* refused = shownDownload ? refusalText(download.downloadOutcome()) : nullptr;
            if (refused != nullptr)
                showPlainMessage(host.messageBoxes(), host.window(), refused);
        }
        if (!askTryAgain(host))
            return false;
    }
}

void repairReferenceFile(UpdateHost& host)
{
    host.setUiState(UiState::CheckingReferenceFile);
    bool gaveUp = false;
    bool reload = true;
    for (;;) {
        const char* message = nullptr;
        if (reload && !host.runLoadingDialog()) {
            message = kNotFound;
        } else {
            if (host.parasiteList().count() > 0 || gaveUp)
                break;
            message = kDamaged;
        }
        reload = true;
        showPlainMessage(host.messageBoxes(), host.window(), message);
        if (host.runPreferencesDialog())
            continue;
        if (host.messageBoxes().show(host.window(), kDownloadOffer, kQuestionCaption,
                                     MB_YESNO | MB_ICONQUESTION) == IDYES &&
            downloadWithRetry(host))
            continue;
        if (host.closing())
            break;
        showPlainMessage(host.messageBoxes(), host.window(), kGivingUp);
        gaveUp = true;
        host.endWindow(IDCANCEL);
        reload = false;
    }
    host.setUiState(UiState::Idle);
}

void offerFirstRunUpdate(UpdateHost& host)
{
    if (host.messageBoxes().show(nullptr, kReminder, kReminderCaption, kTopmostQuestionStyle) ==
        IDYES)
        runUpdate(host);
}

}  // namespace kestrune
