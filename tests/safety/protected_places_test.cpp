// The folder and file half of the protected places, against the real test
// prefix: the machine's own folders and files under every spelling that
// reaches them (tests/safety/places_fixtures.sh makes the links), Kestrune's
// own places, and the removable neighbours beside each.
#include "safety/own_places.h"
#include "safety/place_judge.h"
#include "safety/protected_places.h"

#include "settings/data_folder.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace ks = kestrune;

namespace {

std::string shellFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) << csidl;
    return buffer;
}

std::string shortPath(const std::string& path)
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(buffer, n);
}

const char kProgramFolder[] = "C:\\kestrune\\";

// The per-user place of Kestrune's files, "%LOCALAPPDATA%\Kestrune\".
std::string perUserFolder()
{
    return shellFolder(CSIDL_LOCAL_APPDATA) + "\\Kestrune\\";
}

struct PlaceCase {
    std::string path;
    bool expected;
};

class ProtectedPlacesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ks::OwnPlaces own;
        own.programFolder = kProgramFolder;
        own.programFile = std::string(kProgramFolder) + "test_safety.exe";
        own.referenceFile = std::string(kProgramFolder) + "defs_in_use.ks";
        own.logFolder = std::string(kProgramFolder) + "logs";
        own.backupFolder = std::string(kProgramFolder) + "KestruneBackup";
        own.dataFolders = {kProgramFolder, perUserFolder()};
        places_.reset(new ks::ProtectedPlaces(ks::ProtectedPlaces::forThisMachine(own)));
        judge_.reset(new ks::PlaceJudge(*places_));
    }
    static void TearDownTestSuite()
    {
        judge_.reset();
        places_.reset();
    }

    // The scan's judge, shared by the tests so that its folders are kept from
    // one path to the next, answers as the two uncached questions do.
    static void expectJudgedAlike(const std::string& path)
    {
        const bool uncached = places_->isProtectedFolder(path) || places_->isProtectedFile(path);
        EXPECT_EQ(uncached, judge_->isProtected(path)) << "judged [" << path << "]";
        EXPECT_EQ(uncached, places_->isProtectedPlace(path)) << "place [" << path << "]";
    }

    static std::unique_ptr<ks::ProtectedPlaces> places_;
    static std::unique_ptr<ks::PlaceJudge> judge_;
};

std::unique_ptr<ks::ProtectedPlaces> ProtectedPlacesTest::places_;
std::unique_ptr<ks::PlaceJudge> ProtectedPlacesTest::judge_;

TEST_F(ProtectedPlacesTest, FoldersUnderEverySpellingAndTheirNeighbours)
{
    const std::string desktop = shellFolder(CSIDL_DESKTOPDIRECTORY);
    const std::string profile = shellFolder(CSIDL_PROFILE);
    std::string longWay;   // past MAX_PATH, and nowhere
    for (int i = 0; i < 30; ++i)
        longWay += "\\inner\\.\\..";
    const PlaceCase cases[] = {
        {"C:\\", true},
        {"C:\\windows", true},
        {"c:\\WINDOWS\\", true},
        {"C:\\windows.", true},
        {"C:\\windows. .", true},
        {"C:/windows", true},
        {"C:\\\\windows", true},
        {"C:\\Sandbox\\inner\\..\\..\\windows", true},
        {"C:\\windows\\system32\\..", true},
        {"C:\\Sandbox" + longWay + "\\..\\windows", true},
        {"C:\\windows" + longWay + "\\system32", true},
        {"C:\\windows\\system32", true},
        {"C:\\windows\\system32\\drivers", true},
        {"C:\\windows\\Fonts", true},
        {"C:\\windows\\winsxs", true},
        {"C:\\placesfix\\winlink", true},
        {"C:\\placesfix\\winlink\\system32", true},
        {"C:\\placesfix\\programlink", true},
        {"C:\\Program Files", true},
        {"C:\\Program Files\\Common Files", true},
        {"C:\\ProgramData", true},
        {"C:\\users", true},
        {"C:\\users\\Public", true},
        {profile, true},
        {desktop, true},
        {shellFolder(CSIDL_PERSONAL), true},
        {shellFolder(CSIDL_APPDATA), true},
        {shellFolder(CSIDL_STARTUP), true},
        {shellFolder(CSIDL_COOKIES), true},
        {profile + "\\Downloads", true},
        {profile + "\\AppData\\Local\\Temp", true},
        {"C:\\kestrune", true},
        {"C:\\kestrune\\logs", true},
        {"C:\\kestrune\\KestruneBackup", true},
        {"C:\\kestrune\\KestruneBackup\\unpacked", true},
        {perUserFolder(), true},
        {perUserFolder() + "logs", true},
        {perUserFolder() + "KestruneBackup\\unpacked", true},
        {"C:\\windows\\Temp", true},
        {"C:\\Boot", true},
        {"C:\\boot.\\Fonts", true},
        {"D:\\EFI\\Microsoft\\Boot", true},
        {"C:\\windows\\system32\\config\\systemprofile", true},
        {"C:\\windows\\system32\\config\\RegBack\\Old", true},
        // Not plain, or turned into a device: never compared, always refused.
        {"", true},
        {"C:", true},
        {"C:windows", true},
        {"windows", true},
        {"\\\\?\\C:\\windows", true},
        {"\\\\.\\C:\\windows", true},
        {"\\\\server\\share\\folder", true},
        {"C:\\windows:stream", true},
        {"C:\\Sandbox\\con", true},
        // Removable neighbours.
        {"C:\\Sandbox", false},
        {"C:\\Sandbox\\inner", false},
        {"C:\\Sandbox" + longWay + "\\inner\\" + std::string(200, 'x') + "\\" +
             std::string(200, 'y'),
         false},
        {"C:\\windowsx", false},
        {"C:\\windows-old", false},
        {"C:\\windows\\ParasiteFolder", false},
        {"C:\\windows\\Temp\\ParasiteFolder", false},
        {"C:\\Sandbox\\Boot", false},
        {"C:\\Bootleg", false},
        {"C:\\windows\\system32\\config\\systemprofile\\Parasite", false},
        {"C:\\windows\\system32\\ParasiteFolder", false},
        {"C:\\placesfix\\winlink\\ParasiteFolder", false},
        {"C:\\Program Files\\Parasite", false},
        {"C:\\Program Files2", false},
        {desktop + "\\Parasite", false},
        {"C:\\kestrune\\ParasiteFolder", false},
        {perUserFolder() + "ParasiteFolder", false},
    };
    for (const PlaceCase& c : cases) {
        EXPECT_EQ(c.expected, places_->isProtectedFolder(c.path)) << "[" << c.path << "]";
        expectJudgedAlike(c.path);
    }
}

TEST_F(ProtectedPlacesTest, ShortNamesReachTheLongPlace)
{
    const std::string programFiles = shortPath("C:\\Program Files");
    const std::string common = shortPath("C:\\Program Files\\Common Files");
    ASSERT_NE("", programFiles);
    ASSERT_EQ(std::string::npos, programFiles.find(' ')) << programFiles;
    EXPECT_TRUE(places_->isProtectedFolder(programFiles));
    EXPECT_TRUE(places_->isProtectedFolder(common));
    EXPECT_FALSE(places_->isProtectedFolder(programFiles + "\\Parasite"));
}

TEST_F(ProtectedPlacesTest, FilesUnderEverySpellingAndTheirNeighbours)
{
    const std::string desktop = shellFolder(CSIDL_DESKTOPDIRECTORY);
    const PlaceCase cases[] = {
        {"C:\\windows\\system32\\kernel32.dll", true},
        {"C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL", true},
        {"C:\\windows\\system32\\kernel32.dll.", true},
        {"C:/windows/system32/services.exe", true},
        {"C:\\windows\\system32\\svchost.exe", true},
        {"C:\\windows\\explorer.exe", true},
        {"C:\\windows\\regedit.exe", true},
        {"C:\\windows\\system32\\drivers\\ntfs.sys", true},
        {"C:\\placesfix\\kernellink", true},
        {"C:\\placesfix\\winlink\\system32\\services.exe", true},
        {"\\\\?\\C:\\windows\\system32\\kernel32.dll", true},
        {"C:\\windows", true},   // a protected folder named as a file
        {"C:\\kestrune\\test_safety.exe", true},
        {"C:\\kestrune\\Kestrune.exe", true},
        {"C:\\kestrune\\kestrune-cli.exe", true},
        {"C:\\kestrune\\defs_in_use.ks", true},
        {"C:\\kestrune\\logs\\log.txt", true},
        {"C:\\kestrune\\logs\\3-4-2024 (10-5-7).txt", true},
        {"C:\\kestrune\\KestruneBackup\\1,2,2024_3,4,5.zip", true},
        {perUserFolder() + "KestruneBackup\\1,2,2024_3,4,5.zip", true},
        {perUserFolder() + "logs\\3-4-2024 (10-5-7).txt", true},
        {perUserFolder() + "parasite.dll", false},
        {"C:\\bootmgr", true},
        {"C:\\BOOTNXT", true},
        {"c:\\Boot.ini", true},
        {"C:\\ntldr", true},
        {"C:\\ntdetect.com", true},
        {"D:\\pagefile.sys", true},
        {"C:\\hiberfil.sys.", true},
        {"C:\\swapfile.sys", true},
        {"C:\\Boot\\BCD", true},
        {"C:\\EFI\\Microsoft\\Boot\\bootmgfw.efi", true},
        {"C:\\windows\\system32\\winload.exe", true},
        {"C:\\windows\\system32\\winload.efi", true},
        {"C:\\windows\\system32\\config\\SYSTEM", true},
        {"C:\\windows\\system32\\config\\sam.LOG1", true},
        {"C:\\placesfix\\winlink\\system32\\config\\SOFTWARE", true},
        {"C:\\windows\\system32\\config\\RegBack\\SYSTEM", true},
        {shellFolder(CSIDL_PROFILE) + "\\NTUSER.DAT", true},
        {shellFolder(CSIDL_PROFILE) + "\\ntuser.dat.LOG1", true},
        {shellFolder(CSIDL_LOCAL_APPDATA) + "\\Microsoft\\Windows\\UsrClass.dat", true},
        {shellFolder(CSIDL_LOCAL_APPDATA) + "\\Microsoft\\Windows\\UsrClass.dat.LOG2", true},
        {"C:\\kestrune\\uninst.exe", true},
        {"C:\\kestrune\\README.txt", true},
        {"C:\\kestrune\\kestrune_020404_v2.ks", true},
        {"C:\\kestrune\\fresh.KS", true},
        {perUserFolder() + "downloaded.ks", true},
        {"C:\\kestrune\\logs\\Restore 3-4-2024 (10-5-7).txt", true},
        {"C:\\kestrune\\logs\\Scan 3-4-2024 (10-5-7).txt", true},
        {perUserFolder() + "logs\\restore 3-4-2024 (10-5-7).txt", true},
        // Removable neighbours: the same names elsewhere, other names here.
        {"C:\\windows\\system32\\evil.dll", false},
        {"C:\\windows\\system32\\drivers\\evil.sys", false},
        {"C:\\windows\\system32\\wbem\\svchost.exe", false},
        {"C:\\Sandbox\\svchost.exe", false},
        {"C:\\Sandbox\\kernel32.dll", false},
        {"C:\\placesfix\\winlink\\evil.dll", false},
        {desktop + "\\evil.exe", false},
        {"C:\\kestrune\\parasite.dll", false},
        {"C:\\kestrune\\logs\\notes.txt", false},
        {"C:\\kestrune\\logs\\3-4-2024.txt", false},
        {"C:\\kestrune\\logs\\Scan notes.txt", false},
        {"C:\\kestrune\\logs\\Restore 3-4-2024 (10-5-7).txt.bak", false},
        {"C:\\kestrune\\kestrune.ks.bak", false},
        {"C:\\Sandbox\\defs.ks", false},
        {"C:\\Sandbox\\bootmgr", false},
        {"C:\\Sandbox\\uninst.exe", false},
        {"C:\\Sandbox\\Boot\\BCD", false},
        {"C:\\Sandbox\\NTUSER.DAT", false},
        {"C:\\windows\\winload.exe.bak", false},
        {"C:\\windows\\Temp\\parasite.exe", false},
        {"C:\\windows\\system32\\config\\systemprofile\\parasite.exe", false},
        {shellFolder(CSIDL_PROFILE) + "\\Documents\\NTUSER.DAT", false},
    };
    for (const PlaceCase& c : cases) {
        EXPECT_EQ(c.expected, places_->isProtectedFile(c.path)) << "[" << c.path << "]";
        expectJudgedAlike(c.path);
    }
}

// The original file names a copy of a system file carries in its version
// resource, however spelled.
TEST_F(ProtectedPlacesTest, SystemFileNamesAsVersionResourcesGiveThem)
{
    const PlaceCase cases[] = {
        {"SHELL32.DLL", true},   {"kernel32", true},  {"svchost", true},
        {"user32.dll.mui", true}, {"Explorer.EXE. ", true}, {"C:\\x\\services.exe", true},
        {"evil.dll", false},     {"kernel32.dll\\evil", false}, {"", false}, {"...", false},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(c.expected, places_->isSystemFileName(c.path)) << "[" << c.path << "]";
}

// Existing entries the scan meets, each judged twice (the second time from
// the kept folder): through links on the way, as links themselves, under
// short folder names, in other cases and with trailing dots.
TEST_F(ProtectedPlacesTest, TheScansJudgeKeepsFoldersWithoutChangingAnAnswer)
{
    const std::string programFiles = shortPath("C:\\Program Files");
    const PlaceCase cases[] = {
        {"C:\\windows\\system32\\kernel32.dll", true},
        {"C:\\windows\\SYSTEM32\\Kernel32.DLL", true},
        {"C:\\placesfix\\winlink\\system32\\kernel32.dll", true},
        {"C:\\placesfix\\WINLINK\\system32\\services.exe", true},
        {"C:\\placesfix\\winlink\\system32\\drivers", true},
        {"C:\\placesfix\\kernellink", true},
        {"C:\\placesfix\\winlink", true},
        {"C:\\placesfix\\programlink\\Common Files", true},
        {programFiles + "\\Common Files", true},
        {"C:\\windows\\system32\\kernel32.dll. .", true},
        {"C:\\windows\\system32\\..\\system32\\kernel32.dll", true},
        {"C:\\Sandbox\\svchost.exe", false},
        {"C:\\SANDBOX\\Kernel32.dll", false},
        {"C:\\Sandbox\\inner", false},
        {"C:\\Sandbox\\inner\\..\\svchost.exe.", false},
        {"C:\\Sandbox", false},
    };
    for (int round = 0; round < 2; ++round) {
        for (const PlaceCase& c : cases) {
            EXPECT_EQ(c.expected, judge_->isProtected(c.path)) << "[" << c.path << "]";
            expectJudgedAlike(c.path);
        }
    }
}

TEST_F(ProtectedPlacesTest, TheRunningProgramIsProtectedWhateverOwnSays)
{
    char self[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
    const ks::ProtectedPlaces places = ks::ProtectedPlaces::forThisMachine(ks::OwnPlaces());
    EXPECT_TRUE(places.isProtectedFile(self));
    EXPECT_TRUE(places.isProtectedFolder("C:\\windows"));
}

TEST(OwnPlaces, ComeFromTheSettingsAndTheProgramFolder)
{
    ASSERT_TRUE(ks::createDefaultSettings());
    ASSERT_TRUE(ks::writeSetting(ks::kSettingLogFolder, "C:\\Logs Elsewhere"));
    ASSERT_TRUE(ks::writeSetting(ks::kSettingReferenceFile, "C:\\Defs\\mine.ks"));
    ks::OwnPlaces own = ks::ownPlacesFromSettings();
    EXPECT_EQ(ks::programFolder(), own.programFolder);
    EXPECT_EQ(ks::programPath(), own.programFile);
    EXPECT_EQ("C:\\Logs Elsewhere", own.logFolder);
    EXPECT_EQ("C:\\Defs\\mine.ks", own.referenceFile);
    EXPECT_EQ(ks::programFolder() + "KestruneBackup", own.backupFolder);
    EXPECT_EQ(ks::dataFolders(), own.dataFolders);
    EXPECT_NE(std::string::npos, own.temporaryBackupFolder.find("\\KestruneBackup"));
    EXPECT_EQ(std::string(ks::kSettingsKeyPath), own.settingsKey);
    // Another file in use (--definitions) leaves the settings' own protected.
    own.referenceFile = "C:\\Defs\\other.ks";
    const ks::ProtectedPlaces places = ks::ProtectedPlaces::forThisMachine(own);
    EXPECT_TRUE(places.isProtectedFile("C:\\Defs\\mine.ks"));
    EXPECT_TRUE(places.isProtectedFile("C:\\Defs\\other.ks"));
    EXPECT_FALSE(places.isProtectedFile("C:\\Defs\\third.ks"));
}

}  // namespace
