// The remove command against a stand-in window: both paths with their
// questions, captions, states and status texts, the summaries, the selection
// taken once at the start, and the refusals while a scan or the flow itself
// runs; and the choice between the dated log file and "log.txt".
#include "app/removal_flow.h"

#include "platform/resource_strings.h"
#include "removal/backup_run.h"
#include "removal/reboot_pending.h"
#include "removal/selection.h"
#include "settings/settings_store.h"
#include "support/recording_event_sink.h"
#include "support/removal_fixtures.h"
#include "support/scripted_message_boxes.h"
#include "support/temp_folder.h"
#include "support/zip_reader.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;
using ks::ItemKind;
using ks::RemovalState;

namespace {

// Scripted answers, with a hook that runs while box n is open (n from 0).
class OpenBoxes : public ts::ScriptedMessageBoxes {
public:
    std::function<void(size_t)> whileOpen;
    int show(HWND owner, const std::string& text, const std::string& caption,
             UINT style) override
    {
        size_t n = shown().size();
        int answer = ts::ScriptedMessageBoxes::show(owner, text, caption, style);
        if (whileOpen)
            whileOpen(n);
        return answer;
    }
};

class FakeHost : public ks::RemovalHost {
public:
    HWND ownerWindow() override { return reinterpret_cast<HWND>(0x1234); }
    ks::MessageBoxes& messageBoxes() override { return boxes; }
    ks::ParasiteList& parasiteList() override { return list; }
    int resultRowCount() override { return static_cast<int>(rows.size()); }
    std::vector<ks::Find> checkedFinds() override
    {
        std::vector<ks::Find> finds;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (checked[i])
                finds.push_back(rows[i]);
        }
        return finds;
    }
    bool scanThreadRunning() override { return scanning; }
    bool takeRebootPending() override { return ks::rebootPending.exchange(false); }
    void showState(RemovalState state) override { states.push_back(state); }
    void setStatusText(const std::string& text) override { statuses.push_back(text); }
    void setLogFileName(const std::string& name) override { logFileName = name; }
    void clearResults() override
    {
        rows.clear();
        checked.clear();
        ++clears;
    }
    bool runsAsAdministrator() override { return administrator; }
    bool restartAsAdministrator() override
    {
        ++restarts;
        return restartStarts;
    }

    void addRow(ItemKind kind, int parasite, int item, bool isChecked = true)
    {
        rows.push_back(ks::Find{kind, parasite, item, ""});
        checked.push_back(isChecked);
    }

    OpenBoxes boxes;
    ks::ParasiteList list;
    std::vector<ks::Find> rows;
    std::vector<bool> checked;
    bool scanning = false;
    std::vector<RemovalState> states;
    std::vector<std::string> statuses;
    std::string logFileName;
    int clears = 0;
    bool administrator = true;
    bool restartStarts = true;
    int restarts = 0;
};

const UINT kQuestion = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST;

class Flow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (ks::settingsMissing()) {
            ASSERT_TRUE(ks::createDefaultSettings());
        }
        work = ts::freshWorkFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        logs = work + "\\Logs";
        ASSERT_TRUE(ks::writeSetting(ks::kSettingLogFolder, logs));
        ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "0"));
        ASSERT_TRUE(ks::writeSetting(ks::kSettingAutoSaveLog, "1"));
        ks::rebootPending = false;
        archivesBefore = archives();
    }

    // Two parasites: "Bad" with two files, "Other" with one file and a value.
    void fillList() { fillList(host); }
    void fillList(FakeHost& host)
    {
        ks::Parasite& bad = ts::parasiteNamed(host.list, "Bad");
        ts::fileItem(bad, "one.exe", work + "\\Bad", false);
        ts::fileItem(bad, "two.txt", work + "\\Bad", false);
        ks::Parasite& other = ts::parasiteNamed(host.list, "Other");
        ts::fileItem(other, "three.dat", work + "\\Other", false);
        ts::valueItem(other, "HKEY_CURRENT_USER", "Software\\KestruneFlowTest", "Bad", false);
        ts::writeTextFile(work + "\\Bad\\one.exe", "1");
        ts::writeTextFile(work + "\\Bad\\two.txt", "2");
        ts::writeTextFile(work + "\\Other\\three.dat", "3");
        ts::writeRegistryString(HKEY_CURRENT_USER, "Software\\KestruneFlowTest", "Bad", "x");
    }

    std::vector<std::string> archives() const
    {
        return ts::folderNames(ks::archiveFolderPath());
    }
    // The archives this test made.
    std::vector<std::string> newArchives() const
    {
        std::vector<std::string> made;
        for (const std::string& name : archives()) {
            if (std::find(archivesBefore.begin(), archivesBefore.end(), name) == archivesBefore.end())
                made.push_back(name);
        }
        return made;
    }
    std::vector<std::string> shownTexts() const
    {
        std::vector<std::string> texts;
        for (const ts::ShownMessage& box : host.boxes.shown())
            texts.push_back(box.text);
        return texts;
    }

    FakeHost host;
    ks::RemovalFlow flow{host};
    std::string work;
    std::string logs;
    std::vector<std::string> archivesBefore;
    ts::RecordingEventSink events;
};

}  // namespace

TEST_F(Flow, AnEmptyListAsksForAScanFirstAndChangesNothing)
{
    flow.removeCommand();
    ASSERT_EQ(1u, host.boxes.shown().size());
    const ts::ShownMessage& box = host.boxes.shown()[0];
    EXPECT_EQ(host.ownerWindow(), box.owner);
    EXPECT_EQ("Please Scan for Parasites first", box.text);
    EXPECT_EQ("Kestrune v2.01", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), box.style);
    EXPECT_TRUE(host.states.empty());
    EXPECT_TRUE(host.statuses.empty());
}

TEST_F(Flow, TheDirectPathRemovesExactlyTheCheckedRowsAndEmptiesTheList)
{
    fillList();
    host.addRow(ItemKind::File, 0, 0);
    host.addRow(ItemKind::File, 0, 1, false);
    host.addRow(ItemKind::RegistryValue, 1, 0);
    host.addRow(ItemKind::File, 1, 0);
    // Gone since the scan: neither removed nor logged.
    ts::fileItem(*host.list.at(0), "gone.txt", work + "\\Bad", false);
    host.addRow(ItemKind::File, 0, 2);
    host.boxes.answer(IDOK);

    flow.removeCommand();

    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\two.txt"));
    EXPECT_FALSE(ts::pathExists(work + "\\Other\\three.dat"));
    EXPECT_FALSE(ts::registryValuePresent(HKEY_CURRENT_USER, "Software\\KestruneFlowTest", "Bad"));
    ASSERT_EQ(1u, host.boxes.shown().size());
    const ts::ShownMessage& summary = host.boxes.shown()[0];
    EXPECT_EQ("Selected Parasites have been removed from your computer successfully.", summary.text);
    EXPECT_EQ(host.ownerWindow(), summary.owner);
    EXPECT_EQ(ks::applicationTitle(), summary.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), summary.style);
    EXPECT_EQ((std::vector<RemovalState>{RemovalState::Removing, RemovalState::Idle}), host.states);
    EXPECT_EQ((std::vector<std::string>{"Prepared to Start Scanning"}), host.statuses);
    EXPECT_EQ(1, host.clears);
    EXPECT_FALSE(flow.busy());
    // The dated log in the log folder holds the value first, then the files.
    ASSERT_EQ('\\', host.logFileName[0]);
    EXPECT_EQ("[TYPE:REGVALUE]\r\n[ACTION:DELETED]\r\n"
              "[VALUE:HKEY_CURRENT_USER\\Software\\KestruneFlowTest\\Bad]\r\n"
              "[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:one.exe]\r\n[PATH:" + work + "\\Bad]\r\n"
              "[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:three.dat]\r\n[PATH:" + work + "\\Other]\r\n",
              ts::readTextFile(logs + host.logFileName));
    EXPECT_EQ(std::vector<std::string>{"2 info 3|0|0|0|none"}, events.lines());
}

TEST_F(Flow, NothingCheckedStillAsksAboutTheLogAndWritesNone)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingAutoSaveLog, "0"));
    host.addRow(ItemKind::File, 0, 0, false);
    host.boxes.answer(IDNO);   // no dated log
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_EQ((std::vector<std::string>{"Do you want to make a log file?",
                                        "Selected Parasites have been removed from your computer "
                                        "successfully."}),
              shownTexts());
    EXPECT_EQ("log.txt", host.logFileName);
    EXPECT_FALSE(ts::pathExists(logs + "\\log.txt"));
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_EQ(1, host.clears);
}

TEST_F(Flow, WithoutAutomaticLogsANoAppendsEveryRunToLogTxt)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingAutoSaveLog, "0"));
    for (int run = 0; run < 2; ++run) {
        host.addRow(ItemKind::File, 0, run);
        host.boxes.answer(IDNO);
        host.boxes.answer(IDOK);
        flow.removeCommand();
    }
    EXPECT_EQ("[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:one.exe]\r\n[PATH:" + work + "\\Bad]\r\n"
              "[TYPE:FILE]\r\n[ACTION:DELETED]\r\n[NAME:two.txt]\r\n[PATH:" + work + "\\Bad]\r\n",
              ts::readTextFile(logs + "\\log.txt"));
    const std::vector<std::string> texts = shownTexts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("Do you want to make a log file?", texts[2]);
}

TEST_F(Flow, TheBackupPathBacksUpThenRemovesAndKeepsTheRows)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    host.addRow(ItemKind::File, 0, 0);
    host.addRow(ItemKind::RegistryValue, 1, 0);
    host.boxes.answer(IDYES);   // back up
    host.boxes.answer(IDYES);   // remove
    host.boxes.answer(IDOK);

    flow.removeCommand();

    ASSERT_EQ(3u, host.boxes.shown().size());
    const ts::ShownMessage& offer = host.boxes.shown()[0];
    EXPECT_EQ("It is recommended that you make a backup of the files detected before deleting "
              "them.\nDo you want to create a backup now?",
              offer.text);
    EXPECT_EQ(nullptr, offer.owner);
    EXPECT_EQ("Permission", offer.caption);
    EXPECT_EQ(kQuestion, offer.style);
    const ts::ShownMessage& done = host.boxes.shown()[1];
    EXPECT_EQ("Backup was successful.\nDo you want to remove the selected adware now?", done.text);
    EXPECT_EQ(nullptr, done.owner);
    EXPECT_EQ("Permission", done.caption);
    EXPECT_EQ(kQuestion, done.style);
    EXPECT_EQ("Selected adware have been removed from your computer successfully.",
              host.boxes.shown()[2].text);
    EXPECT_EQ(host.ownerWindow(), host.boxes.shown()[2].owner);
    EXPECT_EQ((std::vector<RemovalState>{RemovalState::BackingUp, RemovalState::Removing,
                                         RemovalState::Idle}),
              host.states);
    EXPECT_EQ((std::vector<std::string>{"Backing Up Files", "Backup Completed",
                                        "Prepared to Start Scanning"}),
              host.statuses);
    EXPECT_EQ(0, host.clears);
    EXPECT_EQ(2u, host.rows.size());
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));

    std::vector<std::string> made = newArchives();
    ASSERT_EQ(1u, made.size());
    std::vector<std::string> names = ts::zipEntryNames(ks::archiveFolderPath() + "\\" + made[0]);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Config.ini", "Manifest.ini", "one.exe", "rvBackup1.reg"}),
              names);
    EXPECT_EQ(std::vector<std::string>{"2 info 2|0|0|0|" + ks::archiveFolderPath() + "\\" + made[0]},
              events.lines());

    // The rows stay, so the button can be pressed again: nothing behind them
    // is there any more, so there is no archive, no removal and no record.
    const std::string log = ts::readTextFile(logs + host.logFileName);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_EQ(5u, host.boxes.shown().size());
    EXPECT_EQ(ks::kScanFirstText, shownTexts().back());
    EXPECT_EQ(1u, newArchives().size());
    EXPECT_EQ(log, ts::readTextFile(logs + host.logFileName));
    EXPECT_EQ(RemovalState::Idle, host.states.back());
}

TEST_F(Flow, ABackupAcceptedAndARemovalDeclinedLeaveEverythingButTheArchive)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    host.addRow(ItemKind::File, 0, 0);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDNO);
    flow.removeCommand();
    EXPECT_EQ(2u, host.boxes.shown().size());
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_EQ(1u, newArchives().size());
    EXPECT_EQ((std::vector<RemovalState>{RemovalState::BackingUp, RemovalState::Idle}), host.states);
    EXPECT_EQ(1u, host.rows.size());
}

TEST_F(Flow, DecliningTheBackupTakesTheDirectPath)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    host.addRow(ItemKind::File, 0, 1);
    host.boxes.answer(IDNO);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\two.txt"));
    EXPECT_TRUE(newArchives().empty());
    EXPECT_EQ("Selected Parasites have been removed from your computer successfully.",
              shownTexts().back());
}

TEST_F(Flow, ABackupThatLostSomethingAsksWithTheFailureText)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    const std::string held = work + "\\Bad\\two.txt";
    ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + held + "\"");
    host.addRow(ItemKind::File, 0, 0);
    host.addRow(ItemKind::File, 0, 1);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    ASSERT_EQ(3u, host.boxes.shown().size());
    EXPECT_EQ("Backup has been failed.\nDo you want to remove the selected adware now?",
              host.boxes.shown()[1].text);
    // The held file is scheduled for the restart: the backup path says so too,
    // and clears the flag.
    EXPECT_EQ(ks::kRemovedAtRestartText, host.boxes.shown()[2].text);
    EXPECT_FALSE(ks::rebootPending);
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));
}

TEST_F(Flow, AnArchiveThatCannotBeOpenedStillOffersTheRemoval)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    // A file where the archive folder should be.
    const std::string folder = ks::archiveFolderPath();
    const std::string aside = folder + ".aside";
    MoveFileA(folder.c_str(), aside.c_str());
    ts::writeTextFile(folder, "in the way");
    host.addRow(ItemKind::File, 0, 0);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    DeleteFileA(folder.c_str());
    MoveFileA(aside.c_str(), folder.c_str());
    ASSERT_EQ(3u, host.boxes.shown().size());
    EXPECT_EQ("Backup has been failed.\nDo you want to remove the selected adware now?",
              host.boxes.shown()[1].text);
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_EQ((std::vector<std::string>{"Prepared to Start Scanning"}), host.statuses);
}

TEST_F(Flow, AFileInUseGivesTheRestartWordingOnceAndTheNextRunStartsClean)
{
    fillList();
    const std::string held = work + "\\Bad\\two.txt";
    {
        ts::StartedProgram holder(ts::removalHelperPath(), "hold \"" + held + "\"");
        host.addRow(ItemKind::File, 0, 1);
        host.boxes.answer(IDOK);
        flow.removeCommand();
    }
    EXPECT_EQ("Some Parasites you selected to remove will be completely removed after your next "
              "system reboot",
              shownTexts().back());
    EXPECT_FALSE(ks::rebootPending);
    host.addRow(ItemKind::File, 0, 0);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_EQ("Selected Parasites have been removed from your computer successfully.",
              shownTexts().back());
}

TEST_F(Flow, SomethingLeftBehindIsNotCalledASuccess)
{
    fillList();
    ts::folderItem(*host.list.at(0), "Kept", work, false);
    ts::writeTextFile(work + "\\Kept\\ro.txt");
    SetFileAttributesA((work + "\\Kept\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    host.addRow(ItemKind::Folder, 0, 0);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_EQ(ks::kNotAllRemovedText, shownTexts().back());
    SetFileAttributesA((work + "\\Kept\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Flow, NothingStartsWhileAScanRuns)
{
    fillList();
    host.addRow(ItemKind::File, 0, 0);
    host.scanning = true;
    flow.removeCommand();
    EXPECT_TRUE(host.boxes.shown().empty());
    EXPECT_TRUE(host.states.empty());
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\one.exe"));
}

TEST_F(Flow, APressWhileTheQuestionIsOpenDoesNothingAndLaterChecksDoNotCount)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    host.addRow(ItemKind::File, 0, 0);
    host.addRow(ItemKind::File, 0, 1, false);
    host.boxes.whileOpen = [this](size_t n) {
        if (n == 0) {
            host.checked[1] = true;   // ticked while the backup offer is open
            flow.removeCommand();     // pressed again: refused, no box
        }
    };
    host.boxes.answer(IDYES);
    host.boxes.answer(IDYES);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    EXPECT_EQ(3u, host.boxes.shown().size());
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\two.txt"));
    std::vector<std::string> made = newArchives();
    ASSERT_EQ(1u, made.size());
    std::vector<std::string> names = ts::zipEntryNames(ks::archiveFolderPath() + "\\" + made[0]);
    EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), "two.txt"));
}

TEST_F(Flow, AScanStartedWhileAQuestionIsOpenEndsTheFlow)
{
    fillList();
    ASSERT_TRUE(ks::writeSetting(ks::kSettingConfirmRemoval, "1"));
    host.addRow(ItemKind::File, 0, 0);
    host.boxes.whileOpen = [this](size_t) { host.scanning = true; };
    host.boxes.answer(IDNO);
    flow.removeCommand();
    EXPECT_EQ(1u, host.boxes.shown().size());
    EXPECT_TRUE(host.states.empty());
    EXPECT_TRUE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_FALSE(flow.busy());
}

TEST_F(Flow, WithoutAdministratorRightsTheUserChoosesFirst)
{
    const std::string notice = ks::loadResourceString(IDS_NOT_ADMIN_NOTICE);
    const std::string failed = ks::loadResourceString(IDS_RESTART_FAILED);
    ASSERT_NE(std::string::npos, notice.find("HKEY_LOCAL_MACHINE and in Program Files")) << notice;
    struct Row {
        int answer;
        bool starts;
        int restarts;
        std::vector<std::string> texts;
    };
    const Row rows[] = {
        {IDCANCEL, true, 0, {notice}},
        {IDYES, true, 1, {notice}},
        {IDYES, false, 1, {notice, failed}},
    };
    for (const Row& row : rows) {
        FakeHost other;
        ks::RemovalFlow otherFlow{other};
        fillList(other);
        other.addRow(ItemKind::File, 0, 0);
        other.administrator = false;
        other.restartStarts = row.starts;
        other.boxes.answer(row.answer);
        other.boxes.answer(IDOK);
        otherFlow.removeCommand();
        std::vector<std::string> texts;
        for (const ts::ShownMessage& box : other.boxes.shown())
            texts.push_back(box.text);
        EXPECT_EQ(row.texts, texts) << row.answer;
        EXPECT_EQ(row.restarts, other.restarts) << row.answer;
        EXPECT_TRUE(ts::pathExists(work + "\\Bad\\one.exe")) << row.answer;
        EXPECT_TRUE(other.states.empty()) << row.answer;
        EXPECT_FALSE(otherFlow.busy());
    }

    // Going on without removes as usual, and the next removal does not ask.
    fillList();
    host.administrator = false;
    host.addRow(ItemKind::File, 0, 0);
    host.boxes.answer(IDNO);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    host.addRow(ItemKind::File, 0, 1);
    host.boxes.answer(IDOK);
    flow.removeCommand();
    ASSERT_EQ(3u, host.boxes.shown().size());
    const ts::ShownMessage& box = host.boxes.shown()[0];
    EXPECT_EQ(notice, box.text);
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ("Permission", box.caption);
    EXPECT_EQ(ks::kNotAdminStyle, box.style);
    EXPECT_EQ(ks::kRemovedText, host.boxes.shown()[1].text);
    EXPECT_EQ(ks::kRemovedText, host.boxes.shown()[2].text);
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\one.exe"));
    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\two.txt"));
    EXPECT_EQ(0, host.restarts);
}

TEST(Selection, MarksExactlyTheItemsBehindTheFinds)
{
    ks::ParasiteList list;
    // Two parasites of the same name, items of the same name in each.
    ks::Parasite& first = ts::parasiteNamed(list, "Twin");
    ts::fileItem(first, "same.exe", "C:\\A", true);   // an old mark
    ts::fileItem(first, "same.exe", "C:\\B", false);
    ks::Parasite& second = ts::parasiteNamed(list, "Twin");
    ts::fileItem(second, "same.exe", "C:\\C", false);
    ts::keyItem(second, "HKEY_CURRENT_USER", "S", "K", false);
    ts::valueItem(second, "HKEY_CURRENT_USER", "S", "a:b", false);
    ts::folderItem(second, "F", "C:\\", false);
    ts::cookieItem(second, "c", false);

    std::vector<ks::Find> finds = {
        {ItemKind::File, 1, 0, "C:\\C\\same.exe"},
        {ItemKind::File, 1, 0, "C:\\C\\same.exe"},   // twice: counted once
        {ItemKind::RegistryValue, 1, 0, "HKEY_CURRENT_USER\\S : a:b"},
        {ItemKind::Folder, 1, 0, "C:\\F"},
        {ItemKind::Cookie, 1, 0, "c"},
        {ItemKind::File, 1, 5, ""},     // no such item
        {ItemKind::File, 7, 0, ""},     // no such parasite
        {ItemKind::RegistryKey, -1, 0, ""},
    };
    EXPECT_EQ(4, ks::markSelectedItems(list, finds));
    EXPECT_EQ(0, first.files[0]->selected);
    EXPECT_EQ(0, first.files[1]->selected);
    EXPECT_EQ(1, second.files[0]->selected);
    EXPECT_EQ(0, second.registryKeys[0]->selected);
    EXPECT_EQ(1, second.registryValues[0]->selected);
    EXPECT_EQ(1, second.directories[0]->selected);
    EXPECT_EQ(1, second.cookies[0]->selected);
    EXPECT_EQ(0, ks::markSelectedItems(list, {}));
    EXPECT_EQ(0, second.files[0]->selected);
}

TEST(Summaries, FailureWinsAndTheRestartIsStillMentioned)
{
    ks::RemovalTotals clean;
    clean.deleted = 3;
    EXPECT_EQ("ok", ks::removalSummary(clean, false, "ok"));
    EXPECT_EQ(ks::kRemovedAtRestartText, ks::removalSummary(clean, true, "ok"));
    ks::RemovalTotals failed = clean;
    failed.failed = 1;
    EXPECT_EQ(ks::kNotAllRemovedText, ks::removalSummary(failed, false, "ok"));
    EXPECT_EQ(std::string(ks::kNotAllRemovedText) + "\n\n" + ks::kRemovedAtRestartText,
              ks::removalSummary(failed, true, "ok"));
    ks::RemovalTotals refused = clean;
    refused.refused = 1;
    EXPECT_EQ(ks::kNotAllRemovedText, ks::removalSummary(refused, false, "ok"));
}

class LogChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (ks::settingsMissing()) {
            ASSERT_TRUE(ks::createDefaultSettings());
        }
    }
    void TearDown() override { ks::writeSetting(ks::kSettingAutoSaveLog, "1"); }
};

TEST_F(LogChoice, AutomaticSaveGivesTheDatedNameWithoutAQuestion)
{
    ASSERT_TRUE(ks::writeSetting(ks::kSettingAutoSaveLog, "1"));
    ts::ScriptedMessageBoxes boxes;
    std::string name = ks::chooseLogFileName(boxes);
    EXPECT_TRUE(boxes.shown().empty());
    ASSERT_FALSE(name.empty());
    EXPECT_EQ('\\', name[0]);
    EXPECT_EQ(".txt", name.substr(name.size() - 4));
}

TEST_F(LogChoice, OtherwiseTheQuestionDecidesAndNoStillLogsToLogTxt)
{
    for (const char* flag : {"0", "", "yes"}) {
        ASSERT_TRUE(ks::writeSetting(ks::kSettingAutoSaveLog, flag));
        ts::ScriptedMessageBoxes yes{IDYES};
        EXPECT_EQ('\\', ks::chooseLogFileName(yes)[0]) << flag;
        ts::ScriptedMessageBoxes no{IDNO};
        EXPECT_EQ("log.txt", ks::chooseLogFileName(no)) << flag;
        ASSERT_EQ(1u, no.shown().size());
        EXPECT_EQ(nullptr, no.shown()[0].owner);
        EXPECT_EQ("Do you want to make a log file?", no.shown()[0].text);
        EXPECT_EQ("Kestrune!", no.shown()[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST),
                  no.shown()[0].style);
    }
}
