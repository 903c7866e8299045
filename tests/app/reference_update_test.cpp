// The update flows against the local test server, with a scripted host:
// the check, the download and its install, runUpdate, downloadWithRetry and
// the repair loop, including the servers and files that must change nothing.
#include "app/reference_update.h"

#include "app/loading_dialog.h"
#include "app/update_progress_dialog.h"
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "settings/settings_store.h"
#include "support/recording_event_sink.h"
#include "support/scripted_message_boxes.h"
#include "support/signing_keys.h"
#include "support/temp_folder.h"
#include "support/test_http_server.h"
#include "support/window_test_helpers.h"
#include "update/reference_download.h"
#include "update/release_statement.h"
#include "update/signature.h"
#include "update/utc_clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace kestrune {
namespace {

using Texts = std::vector<std::string>;

const char kConnectionError[] =
    "Error Connecting to Kestrune server , Please be sure you are connected to the internet and "
    "that no firewall is active that might be preventing Kestrune from accessing the internet.";
const char kAlreadyUpdated[] =
    "Your reference file is already updated!\nDo you still want to download the latest file?";
const char kRefusedName[] =
    "The update server named an invalid reference file. Nothing was downloaded.";
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
const char kNotFound[] =
    "Reference file can not be found on its appropriate path.\n"
    "Please set a valid path for reference file in Preferences.";
const char kDamaged[] = "Reference file found damaged or corrupt.\n";
const char kOffer[] = "Do you want to download the latest reference file from our website? ";
const char kGivingUp[] =
    "You chose not to download or repair the reference file. Without a reference \n"
    "file the program will not be able to work and will be automatically closed.";
const char kRetry[] =
    "Failed to download or repair the reference file. Without a reference file the \n"
    "program will not be able to work and will be automatically closed.\n\n"
    "Do you want to try to download reference file once again?";
const char kScanRunning[] =
    "The reference file cannot be updated while a scan is running.\n"
    "Please try again when the scan has finished.";

// The main window's part, scripted: the real loading dialog (short delays),
// Preferences as a function, everything else recorded.
class ScriptedHost : public UpdateHost {
public:
    HWND window() const override { return nullptr; }
    MessageBoxes& messageBoxes() override { return boxes; }
    UpdateTimings updateTimings() const override
    {
        UpdateTimings t;
        t.phaseDelayMs = 10;
        t.pauseMs = 0;
        t.transferMs = 3000;
        t.maxDownloadSize = 256 * 1024;
        return t;
    }
    void setUiState(UiState state) override { states.push_back(static_cast<int>(state)); }
    bool scanThreadRunning() const override { return scanRunning; }
    ParasiteList& parasiteList() override { return list; }
    std::string& updateUrl() override { return url; }
    std::string& downloadTarget() override { return target; }
    bool runLoadingDialog() override
    {
        ++loads;
        LoadingDialog dialog;
        LoadingTimings fast;
        fast.firstStepMs = 10;
        fast.foundPauseMs = fast.afterLoadMs = fast.loadedPauseMs = fast.notFoundPauseMs = 0;
        dialog.setTimings(fast);
        dialog.setParasiteList(&list);
        return dialog.run() == IDOK;
    }
    bool runPreferencesDialog() override
    {
        ++preferences;
        return onPreferences ? onPreferences() : false;
    }
    void endWindow(int result) override { ended = result; }

    testing_support::ScriptedMessageBoxes boxes;
    std::vector<int> states;
    bool scanRunning = false;
    ParasiteList list;
    std::string url;
    std::string target;
    int loads = 0;
    int preferences = 0;
    std::function<bool()> onPreferences;
    int ended = 0;
};

std::string setting(const char* name)
{
    std::string text;
    return readSetting(name, text) ? text : std::string("<missing>");
}

std::string scrambled(const std::string& markup)
{
    std::string bytes = markup;
    scrambleBytes(bytes);
    return bytes;
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(test::testServerHost().empty()) << "run under http_test_server.py";
        ASSERT_TRUE(test::resetTestServer());
        test::useUpdateServer();
        test::freshSettings();
        folder_ = test::testProgramFolder();
        for (const char* name : {"old.ks", "new.ks", "elsewhere\\old.ks", "new.ks.download"})
            DeleteFileA((folder_ + name).c_str());
        CreateDirectoryA((folder_ + "elsewhere").c_str(), nullptr);
        old_ = folder_ + "old.ks";
        ASSERT_TRUE(test::writeReferenceFile(old_, test::markupWithParasites(1)));
        writeSetting("rfp", old_);
        writeSetting("df", "old.ks");
        ASSERT_TRUE(loadReferenceFile(old_, host_.list));
    }
    void TearDown() override { test::clearSettings(); }

    void announce(const std::string& page) { ASSERT_TRUE(test::servePage("/def/def_newv2.html", page)); }
    // Serves the file and, for a 200 answer, its signature by the development
    // key and a release statement naming it with the next serial.
    void serveFile(const std::string& name, const std::string& bytes, int status = 200)
    {
        ASSERT_TRUE(test::servePage("/def/" + name, bytes, status));
        if (status == 200) {
            serveSignature(name, test::developmentSignature(bytes));
            serveStatement(statementFor(name, bytes, ++serial_, todayUtc() + 30));
        }
    }
    static ReleaseStatement statementFor(const std::string& name, const std::string& bytes,
                                         std::uint64_t serial, long expires)
    {
        ReleaseStatement statement;
        statement.name = name;
        EXPECT_TRUE(sha256Hex(bytes, statement.sha256));
        statement.size = bytes.size();
        statement.serial = serial;
        statement.expires = expires;
        return statement;
    }
    void serveStatement(const ReleaseStatement& statement)
    {
        const std::string text = releaseStatementText(statement);
        ASSERT_TRUE(test::servePage("/def/release.txt", text));
        ASSERT_TRUE(test::servePage("/def/release.txt.sig", test::developmentSignature(text)));
    }
    void serveSignature(const std::string& name, const std::string& signature, int status = 200)
    {
        ASSERT_TRUE(test::servePage("/def/" + name + ".sig", signature, status));
    }
    void expectNothingChanged(const std::string& why)
    {
        EXPECT_EQ(setting("rfp"), old_) << why;
        EXPECT_EQ(setting("df"), "old.ks") << why;
        EXPECT_TRUE(test::fileExists(old_)) << why;
        EXPECT_FALSE(test::fileExists(folder_ + "new.ks")) << why;
        EXPECT_FALSE(test::fileExists(folder_ + "new.ks.download")) << why;
    }

    ScriptedHost host_;
    std::string folder_;
    std::string old_;
    std::uint64_t serial_ = 100;
    testing_support::RecordingEventSink events_;
};

TEST_F(UpdateTest, CheckComparesTheAnnouncedNameWithTheInstalledOne)
{
    struct Row {
        const char* page;
        int answer;
        CheckResult result;
        const char* name;
        Texts boxes;
    };
    const Row rows[] = {
        {"<html><body>New.KS</body></html>", 0, CheckResult::Available, "new.ks", {}},
        {"<HTML><BODY> OLD.KS </BODY></HTML>", IDNO, CheckResult::NotWanted, "", {kAlreadyUpdated}},
        {"<html><body>old.ks</body></html>", IDYES, CheckResult::Available, "old.ks", {kAlreadyUpdated}},
        {"<html><body>..\\..\\windows\\evil.ks</body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
        {"<html><body>c:evil.ks</body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
        {"<html><body>C:\\x.ks</body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
        {"<html><body>kestrune-cli.exe</body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
        {"<html><body>name.exe</body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
        {"<html><body></body></html>", 0, CheckResult::Failed, "", {kRefusedName}},
    };
    for (const Row& row : rows) {
        announce(row.page);
        testing_support::ScriptedMessageBoxes boxes;
        if (row.answer != 0)
            boxes.answer(row.answer);
        std::string name;
        EXPECT_EQ(checkForUpdate(boxes, name), row.result) << row.page;
        EXPECT_EQ(name, row.name) << row.page;
        EXPECT_EQ(boxes.texts(), row.boxes) << row.page;
        for (const testing_support::ShownMessage& box : boxes.shown()) {
            EXPECT_EQ(box.owner, nullptr);
            EXPECT_EQ(box.style & MB_TOPMOST, static_cast<UINT>(MB_TOPMOST));
        }
    }
}

TEST_F(UpdateTest, CheckReportsServersThatGiveNoPage)
{
    for (int status : {404, 500}) {
        ASSERT_TRUE(test::servePage("/def/def_newv2.html", "<html><body>x.ks</body></html>", status));
        testing_support::ScriptedMessageBoxes boxes;
        std::string name;
        EXPECT_EQ(checkForUpdate(boxes, name), CheckResult::Failed) << status;
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, kConnectionError);
        EXPECT_EQ(boxes.shown()[0].caption, "Error");
        EXPECT_EQ(boxes.shown()[0].style,
                  static_cast<UINT>(MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND));
    }
    test::useUpdateServer("127.0.0.1:1");
    testing_support::ScriptedMessageBoxes boxes;
    std::string name;
    EXPECT_EQ(checkForUpdate(boxes, name), CheckResult::Failed);
    EXPECT_EQ(boxes.texts(), Texts{kConnectionError});
}

TEST_F(UpdateTest, RunUpdateInstallsTheNewFileSwitchesTheSettingsAndReloads)
{
    announce("<HTML><BODY> New.KS </BODY></HTML>");
    serveFile("new.ks", scrambled(test::markupWithParasites(3)));
    runUpdate(host_);
    EXPECT_EQ(setting("rfp"), folder_ + "new.ks");
    EXPECT_EQ(setting("df"), "new.ks");
    EXPECT_FALSE(test::fileExists(old_)) << "the replaced file is deleted";
    EXPECT_TRUE(test::fileExists(folder_ + "new.ks"));
    EXPECT_FALSE(test::fileExists(folder_ + "new.ks.download"));
    EXPECT_EQ(host_.list.count(), 3);
    EXPECT_EQ(host_.url, "http://" + test::testServerHost() + "/def/new.ks");
    EXPECT_EQ(host_.target, folder_ + "new.ks");
    EXPECT_EQ(setting("rsn"), std::to_string(serial_)) << "the installed release's serial";
    EXPECT_EQ(host_.states, (std::vector<int>{0, 1, 5, 5, 0})) << "no idle before the reload";
    EXPECT_TRUE(host_.boxes.texts().empty());
    EXPECT_EQ(host_.ended, 0);
    EXPECT_EQ(events_.lines(), (std::vector<std::string>{"5 info " + folder_ + "new.ks"}));
}

// Only a reference file that the update itself could have put there is
// deleted: a plain ".ks" file in the download folder.
TEST_F(UpdateTest, AReferenceFileOutsideTheDownloadFolderIsKept)
{
    struct Row {
        const char* why;
        std::string rfp;
    };
    const Row rows[] = {
        {"another folder", folder_ + "elsewhere\\old.ks"},
        {"not a .ks file", folder_ + "elsewhere.exe"},
        {"a path through another folder", folder_ + "elsewhere\\..\\old.ks"},
    };
    std::string installed = "new0.ks";
    for (const Row& row : rows) {
        const std::string bytes = "the user's own bytes: " + std::string(row.why);
        ASSERT_TRUE(writeWholeFile(folder_ + "elsewhere\\old.ks", bytes));
        ASSERT_TRUE(writeWholeFile(folder_ + "elsewhere.exe", bytes));
        writeSetting("rfp", row.rfp);
        const std::string before = testing_support::readTextFile(row.rfp);
        ASSERT_FALSE(before.empty()) << row.why;
        installed[3]++;
        announce("<html><body>" + installed + "</body></html>");
        serveFile(installed, scrambled(test::markupWithParasites(2)));
        runUpdate(host_);
        EXPECT_EQ(setting("rfp"), folder_ + installed) << row.why;
        EXPECT_EQ(testing_support::readTextFile(row.rfp), before) << row.why << ": kept whole";
        EXPECT_TRUE(test::fileExists(old_)) << row.why;
        DeleteFileA((folder_ + installed).c_str());
    }
    DeleteFileA((folder_ + "elsewhere.exe").c_str());
}

TEST_F(UpdateTest, SameTargetIsReplacedAndNotDeleted)
{
    writeSetting("rfp", folder_ + "OLD.KS");   // equal ignoring case
    writeSetting("df", "something-else.ks");
    announce("<html><body>old.ks</body></html>");
    serveFile("old.ks", scrambled(test::markupWithParasites(4)));
    runUpdate(host_);
    ASSERT_TRUE(test::fileExists(old_));
    ParasiteList check;
    ASSERT_TRUE(loadReferenceFile(old_, check));
    EXPECT_EQ(check.count(), 4);
    EXPECT_EQ(setting("df"), "old.ks");
}

TEST_F(UpdateTest, DownloadsThatAreNoReferenceFileChangeNothing)
{
    struct Row {
        const char* why;
        std::string body;
        int status;
        const char* reason;   // in the event
    };
    const char* const failed = "the download failed";
    const char* const notValid = "the file is no valid reference file";
    const Row rows[] = {
        {"404 page", "<html><body>not found</body></html>", 404, failed},
        {"not markup", "garbage", 200, notValid},
        {"no parasite", scrambled(test::markupWithParasites(0)), 200, notValid},
        {"connection dropped", "", 0, failed},
        // the whole-transfer bound (3 s here) and the size bound (256 KiB)
        {"a byte a second", "0123456789", -2, failed},
        {"without end", "<parasite>", -3, failed},
    };
    for (const Row& row : rows) {
        announce("<html><body>new.ks</body></html>");
        serveFile("new.ks", row.body, row.status);
        host_.boxes.answer(IDOK);
        host_.states.clear();
        runUpdate(host_);
        expectNothingChanged(row.why);
        EXPECT_EQ(host_.list.count(), 1) << row.why;
        EXPECT_EQ(host_.boxes.texts().back(), kDownloadFailed) << row.why;
        EXPECT_EQ(host_.states, (std::vector<int>{0, 1, 0})) << row.why << ": no reload";
        EXPECT_EQ(events_.lines().back(), "6 warning " + folder_ + "new.ks|" + row.reason) << row.why;
    }
}

TEST_F(UpdateTest, DownloadsWithoutTheBuiltInKeysSignatureAreRefused)
{
    const std::string file = scrambled(test::markupWithParasites(3));
    const std::string good = test::developmentSignature(file);
    ASSERT_FALSE(good.empty());
    std::string otherKey;
    ASSERT_TRUE(signData(file, test::otherPrivateKey(), otherKey));
    std::string flipped = file;
    flipped[flipped.size() / 2] ^= 0x20;
    struct Row {
        const char* why;
        std::string file;
        std::string signature;
        int status;
    };
    const Row rows[] = {
        {"no .sig", file, "<html><body>not found</body></html>", 404},
        {"another file's signature", file, test::developmentSignature(file + " "), 200},
        {"another key's signature", file, otherKey, 200},
        {"truncated signature", file, good.substr(0, 128), 200},
        {"flipped byte in the file", flipped, good, 200},
        {"one byte too many", file, good + '\n', 200},
        {"over-long .sig", file, good + std::string(kMaxSignatureSize, 'x'), 200},
    };
    for (const Row& row : rows) {
        announce("<html><body>new.ks</body></html>");
        ASSERT_TRUE(test::servePage("/def/new.ks", row.file));
        serveSignature("new.ks", row.signature, row.status);
        host_.boxes.answer(IDOK);
        host_.states.clear();
        runUpdate(host_);
        expectNothingChanged(row.why);
        EXPECT_EQ(host_.list.count(), 1) << row.why;
        EXPECT_EQ(host_.boxes.texts().back(), kBadSignature) << row.why;
        EXPECT_EQ(host_.states, (std::vector<int>{0, 1, 0})) << row.why << ": no reload";
        EXPECT_EQ(events_.lines().back(),
                  "6 warning " + folder_ +
                      "new.ks|the signature is missing or not made with Kestrune's update key")
            << row.why;
    }
}

// The release statement decides: a file it does not name, a replayed older
// release, an expired statement or none that verifies changes nothing.
TEST_F(UpdateTest, DownloadsTheReleaseStatementRefusesChangeNothing)
{
    const std::string file = scrambled(test::markupWithParasites(3));
    const long today = todayUtc();
    writeSetting("rsn", "50");
    struct Row {
        const char* why;
        ReleaseStatement statement;
        const char* message;
    };
    ReleaseStatement otherSize = statementFor("new.ks", file, 60, today);
    otherSize.size += 1;
    const Row rows[] = {
        {"another file's statement", statementFor("new.ks", file + " ", 60, today), kNotTheRelease},
        {"another size", otherSize, kNotTheRelease},
        {"another name", statementFor("other.ks", file, 60, today), kNotTheRelease},
        {"replayed older release", statementFor("new.ks", file, 49, today), kOlderRelease},
        {"expired yesterday", statementFor("new.ks", file, 60, today - 1), kExpiredRelease},
    };
    for (const Row& row : rows) {
        announce("<html><body>new.ks</body></html>");
        ASSERT_TRUE(test::servePage("/def/new.ks", file));
        serveSignature("new.ks", test::developmentSignature(file));
        serveStatement(row.statement);
        host_.boxes.answer(IDOK);
        runUpdate(host_);
        expectNothingChanged(row.why);
        EXPECT_EQ(setting("rsn"), "50") << row.why;
        EXPECT_EQ(host_.boxes.texts().back(), row.message) << row.why;
    }
    // No statement, or one signed with another key.
    const std::string text = releaseStatementText(statementFor("new.ks", file, 60, today));
    std::string otherKey;
    ASSERT_TRUE(signData(text, test::otherPrivateKey(), otherKey));
    for (int status : {404, 200}) {
        ASSERT_TRUE(test::servePage("/def/release.txt", text, status));
        ASSERT_TRUE(test::servePage("/def/release.txt.sig", otherKey));
        host_.boxes.answer(IDOK);
        runUpdate(host_);
        expectNothingChanged("no statement that verifies");
        EXPECT_EQ(host_.boxes.texts().back(), kNoStatement) << status;
    }
}

BOOL CALLBACK firstVisibleWindow(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The check waits for a silent server on a thread of its own: the progress
// dialog answers meanwhile, and the wait ends in the connection error.
TEST_F(UpdateTest, ProgressDialogAnswersWhileTheServerIsSilent)
{
    ASSERT_TRUE(test::servePage("/def/def_newv2.html", "", -1));
    const DWORD thread = GetCurrentThreadId();
    bool answered = false;
    std::thread watcher([&] {
        for (int i = 0; i < 100 && test::testServerLog().find("def_newv2") == std::string::npos; ++i)
            Sleep(100);
        Sleep(500);
        HWND dialog = nullptr;
        EnumThreadWindows(thread, firstVisibleWindow, reinterpret_cast<LPARAM>(&dialog));
        DWORD_PTR result = 0;
        answered = dialog != nullptr &&
                   SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
    });
    host_.boxes.answer(IDOK);
    runUpdate(host_);
    watcher.join();
    EXPECT_TRUE(answered) << "the dialog's thread was blocked by the transfer";
    EXPECT_EQ(host_.boxes.texts(), Texts{kConnectionError});
    expectNothingChanged("silent server");
}

TEST_F(UpdateTest, RunUpdateRefusesWhileAScanThreadRuns)
{
    announce("<html><body>new.ks</body></html>");
    host_.scanRunning = true;
    runUpdate(host_);
    EXPECT_EQ(host_.boxes.texts(), Texts{kScanRunning});
    EXPECT_EQ(test::testServerLog(), "") << "not even the version page is asked for";
    EXPECT_TRUE(host_.states.empty());
    EXPECT_EQ(host_.loads, 0);
}

TEST_F(UpdateTest, RepairLoopGivesUpAfterPreferencesAndTheOfferAreDeclined)
{
    writeSetting("rfp", folder_ + "missing.ks");
    host_.list.clear();
    host_.boxes.answer(IDOK);   // not found
    host_.boxes.answer(IDNO);   // download offer
    host_.boxes.answer(IDOK);   // closing message
    repairReferenceFile(host_);
    EXPECT_EQ(host_.boxes.texts(), (Texts{kNotFound, kOffer, kGivingUp}));
    std::vector<testing_support::ShownMessage> shown = host_.boxes.shown();
    EXPECT_EQ(shown[0].caption, applicationTitle());
    EXPECT_EQ(shown[1].caption, "Kestrune");
    EXPECT_EQ(shown[1].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(host_.preferences, 1);
    EXPECT_EQ(host_.loads, 1) << "no reload after giving up";
    EXPECT_EQ(host_.ended, IDCANCEL);
    EXPECT_EQ(host_.states, (std::vector<int>{5, 0}));
}

TEST_F(UpdateTest, RepairLoopReloadsAfterPreferencesOk)
{
    ASSERT_TRUE(writeWholeFile(folder_ + "damaged.ks", "not a reference file"));
    writeSetting("rfp", folder_ + "damaged.ks");
    host_.list.clear();
    host_.onPreferences = [&] {
        writeSetting("rfp", old_);
        return true;
    };
    repairReferenceFile(host_);
    EXPECT_EQ(host_.boxes.texts(), Texts{kDamaged});
    EXPECT_EQ(host_.loads, 2);
    EXPECT_EQ(host_.list.count(), 1);
    EXPECT_EQ(host_.ended, 0);
}

TEST_F(UpdateTest, RepairLoopRetriesAFailedCheckAndThenDownloads)
{
    writeSetting("rfp", folder_ + "missing.ks");
    host_.list.clear();
    ASSERT_TRUE(test::servePage("/def/def_newv2.html", "gone", 404));
    serveFile("new.ks", scrambled(test::markupWithParasites(2)));
    host_.boxes.answer(IDOK);    // not found
    host_.boxes.answer(IDYES);   // download offer
    host_.boxes.answer(IDOK);    // connection error
    host_.boxes.answerRestWith(IDYES);   // the retry question
    // Fix the server once the retry question has been asked.
    std::thread fixer([&] {
        ASSERT_TRUE(host_.boxes.waitForCount(3));
        announce("<html><body>new.ks</body></html>");
    });
    // The first retry may come before the fix; every retry is answered Yes.
    repairReferenceFile(host_);
    fixer.join();
    Texts texts = host_.boxes.texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], kNotFound);
    EXPECT_EQ(texts[1], kOffer);
    EXPECT_EQ(texts[2], kConnectionError);
    EXPECT_EQ(texts[3], kRetry);
    EXPECT_EQ(host_.list.count(), 2);
    EXPECT_EQ(setting("rfp"), folder_ + "new.ks");
    EXPECT_EQ(host_.ended, 0);
}

TEST_F(UpdateTest, RepairLoopClosesWhenTheServerHasNothingNewAndTheUserDeclines)
{
    writeSetting("rfp", folder_ + "missing.ks");
    host_.list.clear();
    announce("<html><body>old.ks</body></html>");
    host_.boxes.answer(IDOK);    // not found
    host_.boxes.answer(IDYES);   // download offer
    host_.boxes.answer(IDNO);    // already updated: no
    host_.boxes.answer(IDOK);    // closing message
    repairReferenceFile(host_);
    EXPECT_EQ(host_.boxes.texts(), (Texts{kNotFound, kOffer, kAlreadyUpdated, kGivingUp}));
    EXPECT_EQ(host_.ended, IDCANCEL);
}

TEST_F(UpdateTest, RepairLoopAsksToRetryABrokenDownload)
{
    writeSetting("rfp", folder_ + "missing.ks");
    host_.list.clear();
    announce("<html><body>new.ks</body></html>");
    serveFile("new.ks", "garbage");
    host_.boxes.answer(IDOK);    // not found
    host_.boxes.answer(IDYES);   // download offer
    host_.boxes.answer(IDNO);    // retry? no
    host_.boxes.answer(IDOK);    // closing message
    repairReferenceFile(host_);
    EXPECT_EQ(host_.boxes.texts(), (Texts{kNotFound, kOffer, kRetry, kGivingUp}));
    EXPECT_EQ(setting("rfp"), folder_ + "missing.ks");
    EXPECT_EQ(host_.ended, IDCANCEL);
}

TEST_F(UpdateTest, RepairLoopRefusesABadSignatureAndOffersTheRetry)
{
    writeSetting("rfp", folder_ + "missing.ks");
    host_.list.clear();
    announce("<html><body>new.ks</body></html>");
    ASSERT_TRUE(test::servePage("/def/new.ks", scrambled(test::markupWithParasites(2))));
    serveSignature("new.ks", test::opensslSampleSignature());
    host_.boxes.answer(IDOK);    // not found
    host_.boxes.answer(IDYES);   // download offer
    host_.boxes.answer(IDOK);    // refused signature
    host_.boxes.answer(IDNO);    // retry? no
    host_.boxes.answer(IDOK);    // closing message
    repairReferenceFile(host_);
    EXPECT_EQ(host_.boxes.texts(), (Texts{kNotFound, kOffer, kBadSignature, kRetry, kGivingUp}));
    EXPECT_EQ(setting("rfp"), folder_ + "missing.ks");
    EXPECT_FALSE(test::fileExists(folder_ + "new.ks"));
    EXPECT_FALSE(test::fileExists(folder_ + "new.ks.download"));
    EXPECT_EQ(host_.ended, IDCANCEL);
}

TEST_F(UpdateTest, FirstRunReminderRunsTheUpdateOnYesOnly)
{
    const char* reminder =
        "It is strongly recommended to update your protection to protect yourself again the "
        "latest parasites we detect\n Proceed with the upgrade?";
    announce("<html><body>new.ks</body></html>");
    serveFile("new.ks", scrambled(test::markupWithParasites(2)));
    host_.boxes.answer(IDNO);
    offerFirstRunUpdate(host_);
    EXPECT_EQ(host_.boxes.texts(), Texts{reminder});
    EXPECT_EQ(test::testServerLog(), "");
    host_.boxes.answer(IDYES);
    offerFirstRunUpdate(host_);
    EXPECT_EQ(setting("rfp"), folder_ + "new.ks");
    std::vector<testing_support::ShownMessage> shown = host_.boxes.shown();
    EXPECT_EQ(shown[0].caption, "Kestrune v2.01");
    EXPECT_EQ(shown[0].owner, nullptr);
}

}  // namespace
}  // namespace kestrune
