// The remove command and its two paths.
#include "app/removal_flow.h"

#include "app/message_pump.h"
#include "platform/elevation.h"
#include "platform/resource_strings.h"
#include "platform/shell.h"
#include "removal/backup_pruning.h"
#include "removal/backup_run.h"
#include "scan/find_items.h"
#include "removal/removal_log.h"
#include "removal/removal_run.h"
#include "removal/still_there.h"
#include "safety/own_places.h"
#include "settings/ignore_list.h"
#include "settings/settings_store.h"

#include "product.h"
#include "resource.h"

namespace kestrune {

const char kScanFirstText[] = "Please Scan for Parasites first";
const char kScanFirstCaption[] = KESTRUNE_TITLE;
const char kBackupOfferText[] =
    "It is recommended that you make a backup of the files detected before deleting them.\n"
    "Do you want to create a backup now?";
const char kPermissionCaption[] = "Permission";
const char kBackupDoneText[] =
    "Backup was successful.\nDo you want to remove the selected adware now?";
const char kBackupFailedText[] =
    "Backup has been failed.\nDo you want to remove the selected adware now?";
const char kRemovedText[] = "Selected Parasites have been removed from your computer successfully.";
const char kRemovedAfterBackupText[] =
    "Selected adware have been removed from your computer successfully.";
const char kRemovedAtRestartText[] =
    "Some Parasites you selected to remove will be completely removed after your next system "
    "reboot";
const char kNotAllRemovedText[] =
    "Some Parasites you selected could not be removed from your computer.\n"
    "The removal log lists each item that is still there.";
const char kKeptForIgnoredText[] =
    "Not removed, as removing it would take an item of the ignore list with it:";
const char kStatusBackingUp[] = "Backing Up Files";
const char kStatusBackupCompleted[] = "Backup Completed";
const char kStatusReady[] = "Prepared to Start Scanning";
const char kMakeLogFileText[] = "Do you want to make a log file?";
const char kMakeLogFileCaption[] = "Kestrune!";

namespace {

// Sets a flag for the lifetime of one command.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

// Shows "Backing Up Files" once the archive is open; the window keeps
// painting while the backup copies and waits for regedit.
class BackupStatus : public BackupReport {
public:
    explicit BackupStatus(RemovalHost& host) : host_(host) {}
    void archiveOpened(const std::string&) override { host_.setStatusText(kStatusBackingUp); }
    void keepResponsive() override { pumpMessages(); }
    bool waitForProcess(HANDLE process, DWORD timeout) override
    {
        return waitWhilePumping(process, timeout);
    }

private:
    RemovalHost& host_;
};

// The removal run's report: the window keeps painting while programs are
// ended and components unregistered; the outcomes go to the log, and the
// folders and keys kept for an ignored find inside them also to `kept`.
class RemovalPump : public RemovalReport {
public:
    explicit RemovalPump(std::vector<std::string>& kept) : kept_(kept) {}
    void outcome(const RemovalOutcome& outcome) override
    {
        if (outcome.ignoredInside.empty())
            return;
        const std::string place = outcome.kind == ItemKind::Folder
                                      ? outcome.path + "\\" + outcome.name
                                      : outcome.path;
        kept_.push_back(place + " (holds " + outcome.ignoredInside + ")");
    }
    void keepResponsive() override { pumpMessages(); }
    bool waitForProcess(HANDLE process, DWORD timeout) override
    {
        return waitWhilePumping(process, timeout);
    }

private:
    std::vector<std::string>& kept_;
};

}  // namespace

ProtectedPlaces RemovalHost::protectedPlaces()
{
    return ProtectedPlaces::forThisMachine(ownPlacesFromSettings());
}

bool RemovalHost::runsAsAdministrator()
{
    return isElevated();
}

std::string chooseLogFileName(MessageBoxes& boxes)
{
    if (settingEnabled(kSettingAutoSaveLog))
        return datedLogName();
    if (boxes.show(nullptr, kMakeLogFileText, kMakeLogFileCaption, kTopmostQuestionStyle) == IDYES)
        return datedLogName();
    return kFixedLogName;
}

std::string removalSummary(const RemovalTotals& totals, bool restartNeeded,
                           const std::string& successText)
{
    if (totals.somethingLeft()) {
        std::string text = kNotAllRemovedText;
        if (restartNeeded)
            text += std::string("\n\n") + kRemovedAtRestartText;
        return text;
    }
    return restartNeeded ? kRemovedAtRestartText : successText;
}

void RemovalFlow::removeCommand()
{
    if (busy_ || host_.scanThreadRunning())
        return;
    if (host_.resultRowCount() == 0) {
        host_.messageBoxes().show(host_.ownerWindow(), kScanFirstText, kScanFirstCaption, MB_OK);
        return;
    }
    BusyScope busy(busy_);
    if (!goOnWithoutAdministrator())
        return;
    // With every row unchecked the flow runs as ever, with nothing to back up
    // or remove; otherwise it stops where nothing checked is there any more.
    // The removal acts on the checked finds at their real places, on items of
    // its own.
    anyChecked_ = !itemsOfFinds(host_.parasiteList(), host_.scanResults(), host_.checkedFinds(),
                                items_)
                       .empty();
    const ProtectedPlaces places = host_.protectedPlaces();

    if (settingEnabled(kSettingConfirmRemoval)) {
        int answer = host_.messageBoxes().show(nullptr, kBackupOfferText, kPermissionCaption,
                                               kTopmostQuestionStyle);
        if (scanStartedMeanwhile())
            return;
        if (answer == IDYES) {
            backupThenRemove(places);
            return;
        }
    }
    if (!somethingStillThere(places))
        return;
    RemovalTotals totals = removeSelectedItems(places);
    showSummary(removalSummary(totals, host_.takeRebootPending(), kRemovedText));
    host_.clearResults();
    host_.showState(RemovalState::Idle);
    host_.setStatusText(kStatusReady);
}

bool RemovalFlow::goOnWithoutAdministrator()
{
    if (goOnWithoutAdministrator_ || host_.runsAsAdministrator())
        return true;
    const int answer = host_.messageBoxes().show(nullptr, loadResourceString(IDS_NOT_ADMIN_NOTICE),
                                                 kPermissionCaption, kNotAdminStyle);
    if (scanStartedMeanwhile())
        return false;
    if (answer == IDNO) {
        goOnWithoutAdministrator_ = true;
        return true;
    }
    if (answer == IDYES && !host_.restartAsAdministrator())
        showPlainMessage(host_.messageBoxes(), host_.ownerWindow(),
                         loadResourceString(IDS_RESTART_FAILED));
    return false;
}

bool RemovalFlow::somethingStillThere(const ProtectedPlaces& places)
{
    if (!anyChecked_)
        return true;
    setAsideGoneItems(items_, places, cookiesFolder());
    if (selectedItemCount(items_) > 0)
        return true;
    host_.messageBoxes().show(host_.ownerWindow(), kScanFirstText, kScanFirstCaption, MB_OK);
    return false;
}

void RemovalFlow::backupThenRemove(const ProtectedPlaces& places)
{
    if (!somethingStillThere(places))
        return;
    host_.showState(RemovalState::BackingUp);
    BackupStatus status(host_);
    BackupOutcome backup = makeBackup(items_, &status, places);
    // Old archives go once a new one holds the whole backup.
    if (backup.complete)
        pruneAfterBackup(backup.archivePath);
    if (backup.archiveOpened)
        host_.setStatusText(kStatusBackupCompleted);
    int answer = host_.messageBoxes().show(
        nullptr, backup.complete ? kBackupDoneText : kBackupFailedText, kPermissionCaption,
        kTopmostQuestionStyle);
    if (scanStartedMeanwhile())
        return;
    if (answer == IDYES && !somethingStillThere(places)) {
        host_.showState(RemovalState::Idle);
        return;
    }
    if (answer == IDYES) {
        RemovalTotals totals =
            removeSelectedItems(places, backup.written ? backup.archivePath : std::string());
        host_.setStatusText(kStatusReady);
        showSummary(removalSummary(totals, host_.takeRebootPending(), kRemovedAfterBackupText));
    }
    host_.showState(RemovalState::Idle);
}

RemovalTotals RemovalFlow::removeSelectedItems(const ProtectedPlaces& places,
                                               const std::string& archive)
{
    host_.showState(RemovalState::Removing);
    const std::string name = chooseLogFileName(host_.messageBoxes());
    host_.setLogFileName(name);
    RemovalLog log(logFolder(), name);
    keptForIgnored_.clear();
    RemovalPump pump(keptForIgnored_);
    RemovalRun run(log, &pump, places);
    // What the user keeps is read once per run.
    const IgnoreSet ignored = IgnoreSet::load();
    run.setIgnored(&ignored);
    run.setArchive(archive);
    const RemovalTotals totals = runRemovalActions(items_, run);
    takeStatuses(items_, host_.parasiteList());
    return totals;
}

void RemovalFlow::showSummary(const std::string& text)
{
    std::string shown = text;
    if (!keptForIgnored_.empty()) {
        shown += std::string("\n\n") + kKeptForIgnoredText;
        for (const std::string& kept : keptForIgnored_)
            shown += "\n" + kept;
    }
    host_.messageBoxes().show(host_.ownerWindow(), shown, applicationTitle(), kSummaryStyle);
}

bool RemovalFlow::scanStartedMeanwhile()
{
    return host_.scanThreadRunning();
}

}  // namespace kestrune
