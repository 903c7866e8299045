// The Restore from Backup dialog driven as a user would: the backups of two
// folders listed newest first, the newest with its items all checked, an
// unchecked item left out of the restore, the question, the summary and the
// restore's event, and Delete.
#include "app/restore_dialog.h"

#include "removal/backup_run.h"
#include "support/recording_event_sink.h"
#include "support/removal_fixtures.h"
#include "support/scripted_message_boxes.h"
#include "support/temp_folder.h"
#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kestrune {
namespace {

namespace ts = testing_support;

int rowCount(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, LVM_GETITEMCOUNT, 0, 0));
}

bool rowChecked(HWND dialog, int id, int row)
{
    const LRESULT state = SendDlgItemMessageA(dialog, id, LVM_GETITEMSTATE, row,
                                              LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void setRowChecked(HWND dialog, int id, int row, bool checked)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendDlgItemMessageA(dialog, id, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

TEST(RestoreDialog, RestoresTheCheckedItemsOfTheSelectedBackupAndDeletesIt)
{
    test::initCommonControls();
    const std::string work = ts::freshWorkFolder("RestoreDialog");
    ts::writeTextFile(work + "\\Bad\\one.txt", "one");
    ts::writeTextFile(work + "\\Bad\\two.txt", "two");
    ParasiteList list;
    Parasite& bad = ts::parasiteNamed(list, "Bad");
    ts::fileItem(bad, "one.txt", work + "\\Bad");
    ts::fileItem(bad, "two.txt", work + "\\Bad");
    // An older backup in a second folder (the other place of Kestrune's
    // files) is listed below the newer one.
    BackupPlaces older{work + "\\Older", work + "\\Temp", work + "\\Cookies"};
    const BackupOutcome olderBackup = makeBackup(list, nullptr, ts::machinePlaces(), older);
    ASSERT_TRUE(olderBackup.complete);
    {
        HANDLE file = CreateFileA(olderBackup.archivePath.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        FILETIME longAgo = {0, 0x01000000};
        SetFileTime(file, nullptr, nullptr, &longAgo);
        CloseHandle(file);
    }
    BackupPlaces places{work + "\\Archives", work + "\\Temp", work + "\\Cookies"};
    const BackupOutcome backup = makeBackup(list, nullptr, ts::machinePlaces(), places);
    ASSERT_TRUE(backup.complete);
    DeleteFileA((work + "\\Bad\\one.txt").c_str());
    DeleteFileA((work + "\\Bad\\two.txt").c_str());

    ts::RecordingEventSink events;
    ts::ScriptedMessageBoxes boxes{IDYES, IDOK, IDYES};
    int archives = -1, items = -1, archivesAfterDelete = -1;
    bool allChecked = false;
    test::whileModal(
        [&] {
            RestoreDialog dialog(boxes, ts::machinePlaces(),
                                 RestorePlaces{{places.archiveFolder, older.archiveFolder}, work + "\\Logs",
                                               places.cookiesFolder});
            dialog.run(nullptr);
        },
        [&] {
            HWND dialog = test::waitForWindow("Restore from Backup", IDC_RESTORE_ITEMS);
            ASSERT_NE(dialog, nullptr);
            archives = rowCount(dialog, IDC_RESTORE_ARCHIVES);
            items = rowCount(dialog, IDC_RESTORE_ITEMS);
            allChecked = rowChecked(dialog, IDC_RESTORE_ITEMS, 0) &&
                         rowChecked(dialog, IDC_RESTORE_ITEMS, 1);
            setRowChecked(dialog, IDC_RESTORE_ITEMS, 1, false);
            test::clickButton(dialog, IDC_RESTORE_RUN);
            test::clickButton(dialog, IDC_RESTORE_DELETE);
            archivesAfterDelete = rowCount(dialog, IDC_RESTORE_ARCHIVES);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });

    EXPECT_EQ(2, archives);
    EXPECT_EQ(2, items);
    EXPECT_TRUE(allChecked);
    EXPECT_EQ("one", ts::readTextFile(work + "\\Bad\\one.txt"));
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\two.txt"));
    ASSERT_EQ(3u, boxes.shown().size());
    EXPECT_EQ("Put 1 checked item(s) of this backup back in their places?", boxes.shown()[0].text);
    EXPECT_EQ("1 restored.", boxes.shown()[1].text);
    EXPECT_FALSE(ts::pathExists(backup.archivePath));
    EXPECT_TRUE(ts::pathExists(olderBackup.archivePath));
    EXPECT_EQ(1, archivesAfterDelete);
    EXPECT_EQ(std::vector<std::string>{"3 info " + backup.archivePath + "|1|0|0"}, events.lines());
}

}  // namespace
}  // namespace kestrune
