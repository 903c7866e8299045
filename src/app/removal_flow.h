// The remove command of the main window: the backup offer, the removal run
// with its log, the summary, and the window's states and status texts on the
// way. The window is reached through RemovalHost only, so the flow runs the
// same against the main window and against the tests' stand-in. Window thread
// only; every step runs one after another on it.
#pragma once

#include "definitions/parasite.h"
#include "platform/find.h"
#include "platform/message_boxes.h"
#include "removal/removal_report.h"
#include "scan/scan_results.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

// The window states the flow moves through (the uiState values BackingUp,
// Removing and Idle).
enum class RemovalState { BackingUp, Removing, Idle };

// What the flow needs of the main window.
class RemovalHost {
public:
    virtual ~RemovalHost() = default;
    virtual HWND ownerWindow() = 0;
    virtual MessageBoxes& messageBoxes() = 0;
    virtual ParasiteList& parasiteList() = 0;
    virtual int resultRowCount() = 0;
    // The finds behind the checked rows, in row order.
    virtual std::vector<Find> checkedFinds() = 0;
    // The finds of the last scan at their real places; null (the default):
    // the removal acts on the items as defined.
    virtual const ScanResults* scanResults() { return nullptr; }
    virtual bool scanThreadRunning() = 0;
    // Whether a removal could only schedule a file for deletion at the next
    // restart (the process-wide rebootPending); clears it.
    virtual bool takeRebootPending() = 0;
    // setUiState with BackingUp, Removing or Idle. Entering Removing also
    // shows "Deleting Infected Files ......" in the status line.
    virtual void showState(RemovalState state) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // The window's logFileName field.
    virtual void setLogFileName(const std::string& name) = 0;
    // Deletes every row and its find, empties the description and writes the
    // bound texts to their controls.
    virtual void clearResults() = 0;
    // The places the backup and the removal never touch, asked once per
    // remove command: this machine's and Kestrune's own as the settings and
    // the running program name them (ownPlacesFromSettings).
    virtual ProtectedPlaces protectedPlaces();
    // Whether Kestrune runs with administrator rights (isElevated()).
    virtual bool runsAsAdministrator();
    // Starts Kestrune again as administrator and, when it started, lets this
    // window end (the user scans again in the new one). False when nothing
    // was started: the user declined or the start failed.
    virtual bool restartAsAdministrator() = 0;
};

// The flow's texts, captions and styles; its questions are asked with
// kTopmostQuestionStyle.
extern const char kScanFirstText[];
extern const char kScanFirstCaption[];
extern const char kBackupOfferText[];
extern const char kPermissionCaption[];
extern const char kBackupDoneText[];
extern const char kBackupFailedText[];
extern const char kRemovedText[];            // direct path, all removed
extern const char kRemovedAfterBackupText[]; // backup path, all removed
extern const char kRemovedAtRestartText[];   // a file waits for the restart
extern const char kNotAllRemovedText[];      // something is still there
// Before the folders and keys that hold an ignored find, one per line, after
// the summary.
extern const char kKeptForIgnoredText[];
constexpr UINT kSummaryStyle = MB_OK | MB_ICONEXCLAMATION;
extern const char kStatusBackingUp[];
extern const char kStatusBackupCompleted[];
extern const char kStatusReady[];

// Asked before a removal when Kestrune runs without administrator rights:
// Yes starts it again as administrator, No goes on without, Cancel removes
// nothing. The texts are string-table entries IDS_NOT_ADMIN_NOTICE and
// IDS_RESTART_FAILED (the latter a plain message when the start failed).
constexpr UINT kNotAdminStyle = MB_YESNOCANCEL | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST;

// The question asked when "asl" is off (kTopmostQuestionStyle).
extern const char kMakeLogFileText[];
extern const char kMakeLogFileCaption[];

// The log file name of a new run: the dated name when "asl" is on; otherwise
// the question above (no owner), Yes giving the dated name and any other
// answer the fixed name, so a run is always logged somewhere.
std::string chooseLogFileName(MessageBoxes& boxes);

// The summary text after a removal run: kNotAllRemovedText when something
// selected is still there (followed by the restart text when a file also
// waits for the restart), else the restart text when `restartNeeded`, else
// `successText`.
std::string removalSummary(const RemovalTotals& totals, bool restartNeeded,
                           const std::string& successText);

class RemovalFlow {
public:
    explicit RemovalFlow(RemovalHost& host) : host_(host) {}
    RemovalFlow(const RemovalFlow&) = delete;
    RemovalFlow& operator=(const RemovalFlow&) = delete;

    // removeCommand: the delete button and the Yes to the end-of-scan offer.
    // Does nothing while a scan thread runs or while this flow is already
    // under way (its questions have no owner, so the window stays usable
    // while they are open). Without administrator rights it first offers to
    // start Kestrune again as administrator; once the user chose to go on
    // without, later removals of this window do not ask again. The checked
    // rows are taken once, after that question: the items behind them are
    // the ones backed up and removed, whatever is checked meanwhile. Right
    // before the backup and before the removal the items are looked at
    // again: those gone meanwhile are left out (not backed up, removed or
    // logged); when a row was checked and nothing behind the checked rows is
    // there any more, the flow says kScanFirstText and stops (no archive).
    // With every row unchecked the flow runs as designed, with nothing to
    // back up (no archive is written) or remove.
    void removeCommand();

    bool busy() const { return busy_; }

private:
    // The not-administrator question; true when the removal goes on here.
    bool goOnWithoutAdministrator();
    void backupThenRemove(const ProtectedPlaces& places);
    // Sets aside the selected items that are gone; when a row was checked
    // and none is left, says kScanFirstText and returns false.
    bool somethingStillThere(const ProtectedPlaces& places);
    // `archive`: the backup made for this removal, named in its event; empty:
    // none.
    RemovalTotals removeSelectedItems(const ProtectedPlaces& places,
                                      const std::string& archive = std::string());
    // The summary box, owned by the window, with the application title; the
    // places kept for the ignore list follow the text.
    void showSummary(const std::string& text);
    // True when the flow must stop because a scan started while a question
    // was open (the scan owns the list and the window state now).
    bool scanStartedMeanwhile();

    RemovalHost& host_;
    bool busy_ = false;
    bool goOnWithoutAdministrator_ = false;   // the user chose to go on without
    bool anyChecked_ = false;                 // this command marked an item
    // The items this command acts on, one per checked find (find_items.h).
    ParasiteList items_;
    // The last run's folders and keys kept for an ignored find inside them.
    std::vector<std::string> keptForIgnored_;
};

}  // namespace kestrune
