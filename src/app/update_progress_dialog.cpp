// UpdateProgressDialog and the messages of the version check.
#include "app/update_progress_dialog.h"

#include "platform/text_compare.h"
#include "settings/settings_store.h"
#include "ui/system_modal.h"
#include "update/update_server.h"
#include "update/version_check.h"

#include "resource.h"

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

const UINT kErrorStyle = MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND;
const UINT kAlertStyle = MB_YESNO | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND;

}  // namespace

CheckResult checkForUpdate(MessageBoxes& boxes, std::string& fileName)
{
    std::string announced;
    switch (checkVersionPage(announced)) {
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

bool UpdateProgressDialog::run()
{
    return runModal(IDD_UPDATE_PROGRESS, host_.window()) == IDOK;
}

INT_PTR UpdateProgressDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        onTimer(wParam);
        return TRUE;
    case WM_COMMAND:
        // No buttons: Esc and Enter must not end a phase half way.
        return TRUE;
    }
    return FALSE;
}

INT_PTR UpdateProgressDialog::onInitDialog(HWND dialog)
{
    dialog_ = dialog;
    keepSystemModalOnTop(dialog);
    SetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, message_.c_str());
    updateAvailable_ = 0;
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
    KillTimer(dialog_, id);
    if (id == IDT_UPDATE_CHECK)
        runCheckPhase();
    else if (id == IDT_UPDATE_DOWNLOAD)
        runDownloadPhase();
    EndDialog(dialog_, IDOK);
}

void UpdateProgressDialog::runCheckPhase()
{
    std::string fileName;
    CheckResult result = checkForUpdate(host_.messageBoxes(), fileName);
    checkFailed_ = result == CheckResult::Failed;
    if (result != CheckResult::Available) {
        updateAvailable_ = 0;
        return;
    }
    const std::string folder = programFolder();
    if (folder.empty()) {
        // Without the program folder the target would be a bare relative name.
        checkFailed_ = true;
        updateAvailable_ = 0;
        return;
    }
    host_.updateUrl() = downloadBaseUrl() + fileName;
    host_.downloadTarget() = folder + fileName;
    updateAvailable_ = 1;
}

void UpdateProgressDialog::runDownloadPhase()
{
    downloadOutcome_ = downloadReferenceFile(host_.updateUrl(), host_.downloadTarget());
}

}  // namespace kestrune
