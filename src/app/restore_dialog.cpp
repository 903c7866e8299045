// The Restore from Backup dialog.
#include "app/restore_dialog.h"

#include "removal/archive_deletion.h"
#include "ui/list_view_cells.h"
#include "resource.h"

#include <commctrl.h>

#include <cstdio>

namespace kestrune {

namespace {

const char kCaption[] = "Restore from Backup";

// Collects the items that did not come back, for the summary.
class DialogRestoreReport : public RestoreReport {
public:
    void itemDone(const RestoreOutcome& outcome) override
    {
        if (outcome.result != RestoreResult::Restored)
            notRestored.push_back(outcome);
    }
    std::vector<RestoreOutcome> notRestored;
};

std::string localDate(const FILETIME& written)
{
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToSystemTime(&local, &time);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

}  // namespace

std::string restoreSummaryText(const RestoreSummary& summary,
                               const std::vector<RestoreOutcome>& notRestored)
{
    std::string text = std::to_string(summary.restored) + " restored.";
    if (notRestored.empty())
        return text;
    text += "\n\nNot restored:";
    for (const RestoreOutcome& outcome : notRestored)
        text += std::string("\n") + kindWord(outcome.item.kind, KindWord::Noun) + " " +
                backupItemPlace(outcome.item) + " (" + outcome.reason + ")";
    return text;
}

INT_PTR RestoreDialog::run(HWND owner)
{
    return runModal(IDD_RESTORE, owner);
}

INT_PTR RestoreDialog::onInitDialog(HWND dialog)
{
    archiveList_ = GetDlgItem(dialog, IDC_RESTORE_ARCHIVES);
    ListView_SetExtendedListViewStyle(archiveList_, LVS_EX_FULLROWSELECT);
    addListColumn(archiveList_, 0, "Date", 150);
    addListColumn(archiveList_, 1, "Items", 80);
    items_.attach(GetDlgItem(dialog, IDC_RESTORE_ITEMS));
    items_.addExtendedStyle(LVS_EX_FULLROWSELECT);
    items_.insertColumn(0, "Kind", 70);
    items_.insertColumn(1, "Original place", 380);
    fillArchives();
    return TRUE;
}

void RestoreDialog::fillArchives()
{
    archives_ = listBackupArchives(where_.archiveFolders, places_);
    ListView_DeleteAllItems(archiveList_);
    for (size_t i = 0; i < archives_.size(); ++i) {
        std::string date = localDate(archives_[i].written);
        std::string items = archives_[i].items < 0 ? std::string("damaged")
                                                   : std::to_string(archives_[i].items);
        LVITEMA row = {};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = &date[0];
        ListView_InsertItem(archiveList_, &row);
        ListView_SetItemText(archiveList_, static_cast<int>(i), 1, &items[0]);
    }
    if (!archives_.empty())
        ListView_SetItemState(archiveList_, 0, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    fillItems();
}

int RestoreDialog::selectedArchive() const
{
    return ListView_GetNextItem(archiveList_, -1, LVNI_SELECTED);
}

void RestoreDialog::fillItems()
{
    items_.deleteAllRows();
    const int selected = selectedArchive();
    // The manifest only; the restore reads and checks the whole archive.
    std::vector<BackupItem> items;
    std::string reason;
    const bool readable = selected >= 0 &&
                          readBackupManifest(archives_[selected].path, places_, items, reason);
    for (size_t i = 0; readable && i < items.size(); ++i) {
        const BackupItem& item = items[i];
        const int row = items_.insertRow(static_cast<int>(i), kindWord(item.kind, KindWord::Noun),
                                         GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW));
        items_.setCell(row, 1, backupItemPlace(item), GetSysColor(COLOR_WINDOWTEXT),
                       GetSysColor(COLOR_WINDOW));
    }
    items_.setAllChecked(true);
    EnableWindow(GetDlgItem(window_, IDC_RESTORE_RUN), readable && !items.empty());
    EnableWindow(GetDlgItem(window_, IDC_RESTORE_DELETE), selected >= 0);
}

void RestoreDialog::onRestore()
{
    const int selected = selectedArchive();
    if (selected < 0)
        return;
    RestoreOptions options;
    options.logFolder = where_.logFolder;
    options.cookiesFolder = where_.cookiesFolder;
    int chosen = 0;
    for (int row = 0; row < items_.rowCount(); ++row) {
        options.chosen.push_back(items_.isChecked(row));
        chosen += items_.isChecked(row) ? 1 : 0;
    }
    if (chosen == 0) {
        boxes_.show(window_, "Check the items to restore first.", kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string question = "Put " + std::to_string(chosen) +
                                 " checked item(s) of this backup back in their places?";
    if (boxes_.show(window_, question, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    DialogRestoreReport report;
    const RestoreSummary summary =
        restoreBackup(archives_[selected].path, places_, options, &report);
    SetCursor(previous);
    if (summary.damaged) {
        boxes_.show(window_, "This backup is damaged and was not restored: " + summary.reason,
                    kCaption, MB_OK | MB_ICONERROR);
        return;
    }
    boxes_.show(window_, restoreSummaryText(summary, report.notRestored), kCaption,
                MB_OK | (report.notRestored.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

void RestoreDialog::onDelete()
{
    const int selected = selectedArchive();
    if (selected < 0)
        return;
    if (boxes_.show(window_, "Delete this backup? What it holds can then no longer be restored.",
                    kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::string reason;
    const ArchiveDeletion deletion =
        deleteBackupArchive(archives_[selected].path, where_.archiveFolders, reason);
    if (deletion == ArchiveDeletion::Refused)
        boxes_.show(window_, "This file is not one of Kestrune's backups and was not deleted: " +
                                 reason + ".", kCaption, MB_OK | MB_ICONERROR);
    else if (deletion == ArchiveDeletion::Failed)
        boxes_.show(window_, "The backup could not be deleted: " + reason + ".", kCaption,
                    MB_OK | MB_ICONERROR);
    fillArchives();
}

INT_PTR RestoreDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RESTORE_RUN:
            onRestore();
            return TRUE;
        case IDC_RESTORE_DELETE:
            onDelete();
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(window_, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.idFrom == IDC_RESTORE_ARCHIVES && header.code == LVN_ITEMCHANGED) {
            const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change.uChanged & LVIF_STATE) &&
                ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) &&
                (change.uNewState & LVIS_SELECTED))
                fillItems();
            return TRUE;
        }
        if (header.idFrom == IDC_RESTORE_ITEMS) {
            if (header.code == LVN_ITEMCHANGED)
                items_.onItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

}  // namespace kestrune
