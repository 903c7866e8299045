// RestoreDialog (IDD_RESTORE): the backups of the backup folders (newest
// first, date and items), the items of the selected one with check boxes
// (all checked), and Restore, Delete and Close. Restore asks first, runs on
// the window thread and ends with a summary of what came back and what did
// not; Delete asks first too, and deletes only a Kestrune backup
// (deleteBackupArchive).
#pragma once

#include "platform/message_boxes.h"
#include "removal/backup_reader.h"
#include "removal/restore_run.h"
#include "ui/check_list_view.h"
#include "ui/dialog.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

// Where the dialog finds the backups and puts things back.
struct RestorePlaces {
    std::vector<std::string> archiveFolders;   // listed together, newest first
    std::string logFolder;
    std::string cookiesFolder;
};

class RestoreDialog : public Dialog {
public:
    RestoreDialog(MessageBoxes& boxes, const ProtectedPlaces& places, RestorePlaces where)
        : boxes_(boxes), places_(places), where_(std::move(where))
    {
    }

    // Shows the dialog modally over `owner`; returns IDCANCEL once closed, or
    // -1 when it could not be shown.
    INT_PTR run(HWND owner);

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void fillArchives();
    void fillItems();
    int selectedArchive() const;
    void onRestore();
    void onDelete();

    MessageBoxes& boxes_;
    const ProtectedPlaces& places_;
    RestorePlaces where_;
    HWND archiveList_ = nullptr;
    CheckListView items_;
    std::vector<BackupArchiveInfo> archives_;
};

// "N restored." and, for the items that did not come back, one line each
// (kind, place, reason); what the dialog says after a restore.
std::string restoreSummaryText(const RestoreSummary& summary,
                               const std::vector<RestoreOutcome>& notRestored);

}  // namespace kestrune
