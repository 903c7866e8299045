// The backup and the removal asked directly for the system's own places and
// Kestrune's, as a damaged or hostile reference file would ask, each kind
// beside a real parasite item: the real item goes; every protected folder,
// file, key, value and cookie file stays, and so does every place a link on
// the way leads to; the system's processes keep
// running; and every refused item is logged as FAILED TO DELETE.
#include "removal/removal_run.h"

#include "platform/fs_redirection.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"
#include "removal/backup_run.h"
#include "removal/cookie_removal.h"
#include "removal/file_removal.h"
#include "removal/process_control.h"
#include "safety/own_places.h"
#include "settings/settings_store.h"
#include "support/recording_event_sink.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"
#include "support/zip_reader.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;
using ks::RemovalResult;

namespace {

// The running services.exe and explorer.exe processes.
std::vector<DWORD> systemProcesses()
{
    std::vector<DWORD> ids;
    ks::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "services.exe") == 0 ||
            lstrcmpiA(entry.szExeFile, "explorer.exe") == 0)
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

// The running system processes once both are there: Wine starts the
// desktop's explorer.exe with the first window of the session, so one is
// made if need be, and the start is waited for (at most ten seconds).
std::vector<DWORD> runningSystemProcesses()
{
    std::vector<DWORD> ids = systemProcesses();
    if (ids.size() < 2)
        DestroyWindow(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
    for (int i = 0; i < 100 && ids.size() < 2; ++i) {
        Sleep(100);
        ids = systemProcesses();
    }
    return ids;
}

bool processRunning(DWORD id)
{
    ks::ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return process.valid() && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::string shellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

class ProtectedRemoval : public ::testing::Test {
protected:
    void SetUp() override
    {
        work = ts::freshWorkFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        own = ks::ownPlacesFromSettings();
        own.referenceFile = work + "\\Shared\\defs.ks";
        own.logFolder = work + "\\Logs";
        ts::writeTextFile(own.referenceFile, "definitions");
        places = ks::ProtectedPlaces::forThisMachine(own);
        system = runningSystemProcesses();
        ASSERT_EQ(2u, system.size());
        real = &ts::parasiteNamed(list, "Real");
        greedy = &ts::parasiteNamed(list, "Greedy");
    }

    void TearDown() override
    {
        for (DWORD id : system)
            EXPECT_TRUE(processRunning(id)) << "system process " << id;
    }

    // The removal of the selected items, logged to the log folder; the
    // cookies in `cookies` when given.
    void removeAll(const std::string& cookies = std::string())
    {
        ks::RemovalLog log(own.logFolder, "log.txt");
        ks::RemovalRun run(log, &report, places);
        run.setIgnored(ignored);
        if (cookies.empty()) {
            ks::runRemovalActions(list, run);
        } else {
            ks::removeFileItems(list, run);
            ks::removeCookieItems(list, run, cookies);
        }
    }

    // Every item of Greedy was refused as protected and logged as FAILED TO
    // DELETE; every item of Real was removed.
    void expectGreedyRefused(size_t greedyItems)
    {
        size_t refused = 0;
        for (const ks::RemovalOutcome& outcome : report.outcomes) {
            const bool isRefused = outcome.result == RemovalResult::Refused && outcome.protectedPlace;
            EXPECT_EQ(outcome.parasiteIndex == 1, isRefused) << outcome.path << " | " << outcome.name;
            if (!isRefused) {
                EXPECT_EQ(RemovalResult::Deleted, outcome.result) << outcome.path;
            }
            refused += isRefused ? 1 : 0;
        }
        EXPECT_EQ(greedyItems, refused);
        const std::string log = ts::readTextFile(own.logFolder + "\\log.txt");
        size_t records = 0;
        for (size_t at = log.find("[ACTION:FAILED TO DELETE]"); at != std::string::npos;
             at = log.find("[ACTION:FAILED TO DELETE]", at + 1))
            ++records;
        EXPECT_EQ(greedyItems, records) << log;
    }

    std::string work;
    ks::OwnPlaces own;
    ks::ProtectedPlaces places;
    std::vector<DWORD> system;
    ks::ParasiteList list;
    ks::Parasite* real = nullptr;
    ks::Parasite* greedy = nullptr;
    ts::RecordingRemovalReport report;
    const ks::IgnoreSet* ignored = nullptr;
    ts::RecordingEventSink events;
};

}  // namespace

TEST_F(ProtectedRemoval, Folders)
{
    ts::writeTextFile(work + "\\Bad\\sub\\x.txt");
    ts::folderItem(*real, "Bad", work);
    ts::writeTextFile("C:\\windows\\Temp\\KsParasite\\x.txt");
    ts::folderItem(*real, "KsParasite", "C:\\windows\\Temp");   // the temp folder's contents go
    for (const char* boot : {"C:\\Boot\\BCD", "C:\\EFI\\Boot\\bootia32.efi"})
        ts::writeTextFile(boot, "boot");
    const std::string documents = shellFolder(CSIDL_PERSONAL);
    const std::string refused[] = {
        "C:\\windows", "C:\\WINDOWS.", "C:\\windows\\system32", "C:\\Program Files", documents,
        ks::parentFolderOf(ks::programPath()), own.logFolder,
        work,                  // holds the log folder
        work + "\\Shared",     // holds the reference file
        "C:\\windows\\Temp", "C:\\Boot", "C:\\EFI", "C:\\EFI\\Boot",
        "C:\\removalfix\\midlink\\via\\Bad",   // a link on the way
    };
    for (const std::string& folder : refused)
        ts::folderItem(*greedy, ks::baseNameOf(folder), ks::parentFolderOf(folder));

    removeAll();

    EXPECT_FALSE(ts::pathExists(work + "\\Bad"));
    EXPECT_FALSE(ts::pathExists("C:\\windows\\Temp\\KsParasite"));
    for (const char* boot : {"C:\\Boot\\BCD", "C:\\EFI\\Boot\\bootia32.efi"})
        EXPECT_EQ("boot", ts::readTextFile(boot)) << boot;
    for (const std::string& folder : refused)
        EXPECT_TRUE(ks::isFolder(folder)) << folder;
    for (const std::string& file : {std::string("C:\\windows\\system32\\kernel32.dll"),
                                    ks::programPath(), own.referenceFile})
        EXPECT_TRUE(ts::pathExists(file)) << file;
    expectGreedyRefused(std::size(refused));
    EXPECT_EQ(std::vector<std::string>{"2 warning 2|0|0|14|none"}, events.lines());
}

TEST_F(ProtectedRemoval, Files)
{
    const std::string bad = work + "\\Bad\\bad.exe";
    ts::copyHelperTo(bad);
    ts::StartedProgram badRun(bad, "wait");
    ts::fileItem(*real, "bad.exe", work + "\\Bad");
    ts::writeTextFile("C:\\windows\\Temp\\kstemp.exe");
    ts::fileItem(*real, "kstemp.exe", "C:\\windows\\Temp");
    ts::writeTextFile(own.logFolder + "\\log.txt", "");
    // The machine's hives and boot files, Kestrune's own files, logs and
    // reports: each is planted with its path as its bytes.
    const std::string planted[] = {
        "C:\\bootmgr", "C:\\boot.ini", "C:\\ntldr", "C:\\pagefile.sys", "C:\\Boot\\BCD",
        "C:\\windows\\system32\\config\\SYSTEM", "C:\\windows\\system32\\winload.exe",
        shellFolder(CSIDL_PROFILE) + "\\NTUSER.DAT",
        shellFolder(CSIDL_LOCAL_APPDATA) + "\\Microsoft\\Windows\\UsrClass.dat",
        ks::programFolder() + "uninst.exe", ks::programFolder() + "README.txt",
        ks::programFolder() + "older.ks", own.logFolder + "\\Restore 3-4-2024 (10-5-7).txt",
        own.logFolder + "\\Scan 3-4-2024 (10-5-7).txt",
    };
    for (const std::string& file : planted)
        ts::writeTextFile(file, file);
    const std::string refused[] = {
        "C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL",
        "C:\\windows\\system32\\services.exe",
        "C:\\windows\\explorer.exe",
        "C:\\windows\\system32\\regsvr32.exe",
        "C:\\windows",   // a folder: a failed delete would schedule it
        ks::programPath(),
        own.referenceFile,
        own.logFolder + "\\log.txt",
        "C:\\removalfix\\midlink\\via\\Bad\\keep.txt",   // a link on the way
        "C:\\removalfix\\midlink\\file.txt",             // a link to a file
    };
    for (const std::string& file : refused)
        ts::fileItem(*greedy, ks::baseNameOf(file), ks::parentFolderOf(file));
    for (const std::string& file : planted)
        ts::fileItem(*greedy, ks::baseNameOf(file), ks::parentFolderOf(file));

    removeAll();

    EXPECT_FALSE(badRun.running());
    EXPECT_FALSE(ts::pathExists(bad));
    EXPECT_FALSE(ts::pathExists("C:\\windows\\Temp\\kstemp.exe"));
    {
        // On 64-bit Windows the system files are looked for in the real
        // System32, where the removal would have deleted them.
        const ks::ScopedFsRedirectionOff realFolders;
        for (const std::string& file : refused)
            EXPECT_TRUE(ts::pathExists(file)) << file;
    }
    for (const std::string& file : planted)
        EXPECT_EQ(file, ts::readTextFile(file));
    // Only the parasite's program was ended; nothing was unregistered.
    ASSERT_FALSE(report.steps.empty());
    for (const ks::ProgramStep& step : report.steps)
        EXPECT_EQ(bad, step.path);
    EXPECT_EQ(std::string::npos, ts::pendingRenames().find("C:\\windows")) << ts::pendingRenames();
    expectGreedyRefused(std::size(refused) + std::size(planted));
}

TEST_F(ProtectedRemoval, Programs)
{
    // A parasite's running program, and a folder that holds a running program
    // whose file is protected: neither that program nor any other in the
    // folder is ended, and the folder stays whole.
    ts::copyHelperTo(work + "\\Bad\\bad.exe");
    ts::copyHelperTo(work + "\\Holder\\keep.exe");
    ts::copyHelperTo(work + "\\Holder\\other.exe");
    ts::StartedProgram badRun(work + "\\Bad\\bad.exe", "wait");
    ts::StartedProgram keepRun(work + "\\Holder\\keep.exe", "wait");
    ts::StartedProgram otherRun(work + "\\Holder\\other.exe", "wait");
    places.addFile(work + "\\Holder\\keep.exe");
    ts::fileItem(*real, "bad.exe", work + "\\Bad");
    ts::folderItem(*greedy, "Holder", work);
    ts::fileItem(*greedy, "keep.exe", work + "\\Holder");

    removeAll();

    EXPECT_FALSE(badRun.running());
    EXPECT_TRUE(keepRun.running());
    EXPECT_TRUE(otherRun.running());
    EXPECT_EQ((std::vector<std::string>{"keep.exe", "other.exe"}),
              ts::folderNames(work + "\\Holder"));
    expectGreedyRefused(2);

    // Asked directly: no system program is ended or unregistered, whatever
    // the spelling.
    ts::RecordingRemovalReport direct;
    for (const std::string& program :
         {std::string("C:\\windows\\system32\\services.exe"), std::string("c:\\WINDOWS\\explorer.exe"),
          std::string("C:\\windows\\system32\\..\\explorer.exe"), work + "\\Holder\\keep.exe"})
        EXPECT_EQ(0, ks::terminateProcessByName(program, places, &direct)) << program;
    EXPECT_TRUE(keepRun.running());
    EXPECT_FALSE(ks::unregisterServer("C:\\windows\\system32\\shell32.dll", places, &direct));
    EXPECT_TRUE(direct.steps.empty());
    EXPECT_EQ(5u, direct.kept.size());
}

TEST_F(ProtectedRemoval, Keys)
{
    const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    const char kEnvironment[] = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
    ts::writeRegistryString(HKEY_CURRENT_USER, "Software\\KestruneProtectedTest\\Bad", "v", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, kRun, "KestruneProtectedBad", "bad.exe");
    ts::writeRegistryString(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "explorer.exe");
    ts::writeRegistryString(HKEY_CURRENT_USER, "Software\\Kestrune", "KestruneProtectedTest", "1");
    ts::keyItem(*real, "HKEY_CURRENT_USER", "Software\\KestruneProtectedTest", "Bad");
    ts::valueItem(*real, "HKEY_CURRENT_USER", kRun, "KestruneProtectedBad");   // a Run value goes
    struct Key {
        HKEY root;
        const char* main;
        const char* sub;
        const char* value;
        const char* present;   // the key or value's key, checked afterwards
    };
    const Key keys[] = {
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software", "Microsoft", "Software\\Microsoft"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion", "Run",
         kRun},
        {HKEY_CURRENT_USER, "hkey_current_user", "software\\\\microsoft\\windows\\", "CurrentVersion",
         "Software\\Microsoft\\Windows\\CurrentVersion"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System\\CurrentControlSet", "Services",
         "System\\CurrentControlSet\\Services"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Classes", "CLSID",
         "Software\\Classes\\CLSID"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software", "Kestrune", "Software\\Kestrune"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System\\CurrentControlSet\\Services", "RpcSs",
         "System\\CurrentControlSet\\Services\\RpcSs"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System\\ControlSet001\\Services", "PlugPlay",
         "System\\CurrentControlSet\\Services\\PlugPlay"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System\\CurrentControlSet\\Control", "Lsa",
         "System\\CurrentControlSet\\Control\\Lsa"},
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "", "txtfile", "txtfile"},
    };
    const Key values[] = {
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kWinlogon, "Shell", kWinlogon},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kEnvironment, "Path", kEnvironment},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Kestrune", "KestruneProtectedTest",
         "Software\\Kestrune"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kEnvironment, "PATHEXT", kEnvironment},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kEnvironment, "TEMP", kEnvironment},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Environment", "TEMP", "Environment"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion",
         "ProgramFilesDir", "Software\\Microsoft\\Windows\\CurrentVersion"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kMain, "Search Page", kMain},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kMain, "Default_Page_URL", kMain},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System\\CurrentControlSet\\Services\\RpcSs",
         "ImagePath", "System\\CurrentControlSet\\Services\\RpcSs"},
    };
    for (const Key& key : keys)
        ts::keyItem(*greedy, key.main, key.sub, key.value);
    for (const Key& value : values) {
        ASSERT_TRUE(ts::registryValuePresent(value.root, value.present, value.value)) << value.value;
        ts::valueItem(*greedy, value.main, value.sub, value.value);
    }

    removeAll();

    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, "Software\\KestruneProtectedTest\\Bad"));
    EXPECT_FALSE(ts::registryValuePresent(HKEY_CURRENT_USER, kRun, "KestruneProtectedBad"));
    for (const Key& key : keys)
        EXPECT_TRUE(ts::registryKeyPresent(key.root, key.present)) << key.present;
    for (const Key& value : values)
        EXPECT_TRUE(ts::registryValuePresent(value.root, value.present, value.value)) << value.value;
    expectGreedyRefused(std::size(keys) + std::size(values));
    ts::removeRegistryTree(HKEY_CURRENT_USER, "Software\\KestruneProtectedTest");
}

TEST_F(ProtectedRemoval, AFolderOrKeyHoldingAnIgnoredFindStays)
{
    const std::string k = "Software\\KestruneIgnoreTest";
    ts::writeTextFile(work + "\\Keep\\sub\\mine.exe", "x");
    ts::writeTextFile(work + "\\Gone\\x.txt", "x");
    ts::writeRegistryString(HKEY_CURRENT_USER, k + "\\Keep\\Inner", "mine", "1");
    ts::writeRegistryString(HKEY_CURRENT_USER, k + "\\KeepKey\\Sub", "v", "1");
    ts::writeRegistryString(HKEY_CURRENT_USER, k + "\\Gone", "v", "1");
    ks::IgnoreSet set;
    set.add(ks::ItemKind::File, work + "\\KEEP\\sub\\mine.exe");
    set.add(ks::ItemKind::RegistryValue, "hkey_current_user\\" + k + "\\Keep\\Inner : mine");
    set.add(ks::ItemKind::RegistryKey, "HKEY_CURRENT_USER\\" + k + "\\KeepKey\\Sub");
    set.add(ks::ItemKind::File, work + "\\Gone.txt");   // beside the folder, not in it
    ignored = &set;
    ts::folderItem(*greedy, "Keep", work);
    ts::keyItem(*greedy, "HKEY_CURRENT_USER", k, "Keep");
    ts::keyItem(*greedy, "HKEY_CURRENT_USER", k, "KeepKey");
    ts::folderItem(*real, "Gone", work);
    ts::keyItem(*real, "HKEY_CURRENT_USER", k, "Gone");

    removeAll();

    EXPECT_TRUE(ts::pathExists(work + "\\Keep\\sub\\mine.exe"));
    EXPECT_TRUE(ts::registryValuePresent(HKEY_CURRENT_USER, k + "\\Keep\\Inner", "mine"));
    EXPECT_TRUE(ts::registryKeyPresent(HKEY_CURRENT_USER, k + "\\KeepKey\\Sub"));
    EXPECT_FALSE(ts::pathExists(work + "\\Gone"));
    EXPECT_FALSE(ts::registryKeyPresent(HKEY_CURRENT_USER, k + "\\Gone"));
    std::vector<std::string> kept;
    for (const ks::RemovalOutcome& outcome : report.outcomes) {
        EXPECT_EQ(outcome.parasiteIndex == 1 ? RemovalResult::Refused : RemovalResult::Deleted,
                  outcome.result);
        EXPECT_FALSE(outcome.protectedPlace);
        if (!outcome.ignoredInside.empty())
            kept.push_back(outcome.ignoredInside);
    }
    EXPECT_EQ((std::vector<std::string>{
                  "hkey_current_user\\" + k + "\\Keep\\Inner : mine",
                  "HKEY_CURRENT_USER\\" + k + "\\KeepKey\\Sub",
                  work + "\\KEEP\\sub\\mine.exe",
              }),
              kept);
    const std::string log = ts::readTextFile(own.logFolder + "\\log.txt");
    EXPECT_NE(std::string::npos,
              log.find("[TYPE:DIRECTORY]\r\n[ACTION:FAILED TO DELETE]\r\n[NAME:Keep]"))
        << log;
    ts::removeRegistryTree(HKEY_CURRENT_USER, k);
}

TEST_F(ProtectedRemoval, Texts)
{
    const std::string cookies = work + "\\Cookies";
    for (const char* name : {"user@adserver[1].txt", "user@news[1].txt", "index.dat", "x"})
        ts::writeTextFile(cookies + "\\" + name);
    ts::writeTextFile(work + "\\keep.txt");
    ts::writeTextFile(work + "\\inner\\keep.txt");
    ts::writeTextFile(work + "\\Bad\\bad.txt");
    ts::fileItem(*real, "bad.txt", work + "\\Bad");
    ts::cookieItem(*real, "Ad Server");
    // Each would reach keep.txt or the work folder itself.
    const std::pair<const char*, std::string> files[] = {
        {"keep.txt", work + "\\inner\\.."},
        {"keep.txt", "\\\\?\\" + work},
        {"keep.txt", "C:kestrune-work\\Texts"},
        {"..\\keep.txt", work + "\\inner"},
        {"...", work},
    };
    const std::pair<const char*, std::string> folders[] = {
        {"Texts", work + "\\inner\\..\\.."},
        {".", work},
    };
    for (const auto& item : files)
        ts::fileItem(*greedy, item.first, item.second);
    for (const auto& item : folders)
        ts::folderItem(*greedy, item.first, item.second);
    // Names without a letter or digit would match every cookie file.
    const char* cookieNames[] = {".", " ", "[]"};
    for (const char* name : cookieNames)
        ts::cookieItem(*greedy, name);

    removeAll(cookies);

    EXPECT_FALSE(ts::pathExists(work + "\\Bad\\bad.txt"));
    EXPECT_TRUE(ts::pathExists(work + "\\keep.txt"));
    EXPECT_TRUE(ts::pathExists(work + "\\inner\\keep.txt"));
    EXPECT_EQ((std::vector<std::string>{"index.dat", "user@news[1].txt", "x"}),
              [&] {
                  std::vector<std::string> names = ts::folderNames(cookies);
                  std::sort(names.begin(), names.end());
                  return names;
              }());
    expectGreedyRefused(std::size(files) + std::size(folders) + std::size(cookieNames));
}

TEST_F(ProtectedRemoval, TheBackupLeavesThemOut)
{
    const char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    ts::writeRegistryString(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "explorer.exe");
    ts::writeTextFile(work + "\\Bad\\bad.txt", "bad");
    ts::writeTextFile(work + "\\keep.txt");
    ts::writeTextFile(work + "\\Cookies\\user@adserver[1].txt");
    ts::fileItem(*real, "bad.txt", work + "\\Bad");
    ts::folderItem(*greedy, "windows", "C:");
    ts::folderItem(*greedy, "Shared", work);   // holds the reference file
    ts::fileItem(*greedy, "kernel32.dll", "C:\\windows\\system32");
    ts::fileItem(*greedy, "keep.txt", work + "\\inner\\..");
    ts::keyItem(*greedy, "HKEY_CURRENT_USER", "Software", "Microsoft");
    ts::valueItem(*greedy, "HKEY_LOCAL_MACHINE", kWinlogon, "Shell");
    ts::cookieItem(*greedy, ".");
    ts::fileItem(*greedy, "keep.txt", "C:\\removalfix\\midlink\\via\\Bad");
    ts::fileItem(*greedy, "file.txt", "C:\\removalfix\\midlink");
    ts::folderItem(*greedy, "Bad", "C:\\removalfix\\midlink\\via");
    const ks::BackupPlaces backup{work + "\\Archives", work + "\\Temp\\KestruneBackup",
                                  work + "\\Cookies"};
    ts::RecordingBackupReport steps;

    const ks::BackupOutcome outcome = ks::makeBackup(list, &steps, places, backup);

    ASSERT_TRUE(outcome.archiveOpened);
    EXPECT_TRUE(outcome.complete);
    std::vector<ts::ZipEntry> entries;
    ASSERT_TRUE(ts::readZip(outcome.archivePath, entries));
    std::vector<std::string> names;
    std::string config;
    for (const ts::ZipEntry& entry : entries) {
        names.push_back(entry.name);
        if (entry.name == "Config.ini")
            config = entry.data;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Config.ini", "Manifest.ini", "bad.txt"}), names);
    EXPECT_EQ("[TYPE:FILE]\r\n[NAME:bad.txt]\r\n[PATH:" + work + "\\Bad]\r\n", config);
}
