// The full scan and the folder scan end to end under Wine: phase order, finds
// of every kind in order, registry fallbacks and rewrites, the next scan,
// stopping in each phase, failing, places the walks cannot read, the drive
// list with a removable and a CD-ROM drive, links, the thread entry points,
// and the event each scan writes.
#include "scan/scan_thread.h"
#include "scan/stop_request.h"

#include "scan/drive_search.h"
#include "scan/find_items.h"
#include "scan/item_checks.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "support/definitions_builder.h"
#include "support/recording_event_sink.h"
#include "support/recording_reporter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <functional>
#include <random>
#include <new>
#include <stdexcept>

using namespace kestrune;
using namespace kestrune::testing_support;

namespace {

const char kTestKey[] = "Software\\KestruneScanTest";

// Counts the entries a walk of `folder` visits, "." and ".." included, links
// counted but not entered.
unsigned long countEntries(const std::string& folder)
{
    unsigned long count = 0;
    WIN32_FIND_DATAA entry;
    std::string base = folder;
    while (!base.empty() && base.back() == '\\')
        base.pop_back();
    FindHandle listing(FindFirstFileA((base + "\\*.*").c_str(), &entry));
    if (!listing.valid())
        return 0;
    do {
        ++count;
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            count += countEntries(base + "\\" + name);
    } while (FindNextFileA(listing.get(), &entry));
    return count;
}

std::vector<std::string> findEvents(const RecordingReporter& reporter)
{
    std::vector<std::string> result;
    for (const std::string& e : reporter.events) {
        if (e.rfind("found:", 0) == 0)
            result.push_back(e);
    }
    return result;
}

// The scan events recorded, each without its seconds (the last text).
std::vector<std::string> scanEvents(const RecordingEventSink& sink)
{
    std::vector<std::string> lines = sink.lines();
    for (std::string& line : lines)
        line.erase(line.rfind('|'));
    return lines;
}

class FullScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        stopRequested = false;
        deleteUserKeyTree(kTestKey);
        makeUserKey(std::string(kTestKey) + "\\Evil");
        setUserValue(kTestKey, "Run", "evil.exe");
        dir = freshFolder();
        places.cookiesFolder = dir + "\\cookies";
        places.windowsFolder = dir + "\\win";
        makeFolder(places.windowsFolder);
        makeFolder(places.cookiesFolder);
    }
    void TearDown() override { stopRequested = false; }

    std::string dir;
    ScanPlaces places;
    ParasiteList list;
    RecordingReporter reporter;
    RecordingEventSink events;
};

// The folder of an item's first find; empty when it has none.
std::string foundIn(const ScanResults& results, int parasite, ItemKind kind, int item)
{
    const std::vector<ItemFind>& finds = results.findsOf({parasite, kind, item});
    return finds.empty() ? std::string() : finds.front().folder;
}

}  // namespace

TEST_F(FullScan, RunsThePhasesInOrderAndReportsEveryKind)
{
    makeFile(places.cookiesFolder + "\\root@alpha-ads.txt");
    makeFile(dir + "\\alpha.dll");
    makeFile(places.windowsFolder + "\\sys\\beta.dll");
    makeFolder(dir + "\\drive\\AlphaDir");
    places.driveRoots = {dir + "\\drive\\"};

    Parasite& alpha = addParasite(list, "Alpha", 1);
    addKey(alpha, "HKEY_CURRENT_USER", kTestKey, "Evil");
    addValue(alpha, "hkey_current_user", kTestKey, "Run");
    addCookie(alpha, "alpha");
    addFile(alpha, "alpha.dll", dir);
    addFolder(alpha, "AlphaDir", "");
    Parasite& beta = addParasite(list, "Beta");
    addKey(beta, "HKLM", kTestKey, "Evil");                 // found through the fallback
    addKey(beta, "HKEY_LOCAL_MACHINE", kTestKey, "Evil");   // recognised hive: no fallback
    addValue(beta, "HKEY_CURRENT_USER", kTestKey, "Missing");
    addFile(beta, "beta.dll", "");
    Parasite& gamma = addParasite(list, "Gamma");
    gamma.status = "Found";

    ScanResults results;
    runFullScan(list, reporter, stopRequested, &places, nullptr, nullptr, &results);

    const std::string k = kTestKey;
    std::vector<std::string> expected = {
        "started",
        "phase:registry keys",
        "found:RegKey:0:0:HKEY_CURRENT_USER\\" + k + "\\Evil",
        "found:RegKey:1:0:HKLM\\" + k + "\\Evil",   // formatted before the test
        "phase:registry values",
        "found:RegValue:0:0:hkey_current_user\\" + k + " : Run",
        "phase:cookies",
        "found:Cookie:0:0:alpha",
        "phase:files",
        "found:File:0:0:" + dir + "\\alpha.dll",
        "phase:folders",
        "phase:drive search",
        "found:File:1:0:" + places.windowsFolder + "\\sys\\beta.dll",
        "found:Folder:0:0:" + dir + "\\drive\\AlphaDir",
        "ended",
    };
    EXPECT_EQ(expected, reporter.events);
    EXPECT_EQ("Scan Completed", reporter.texts.back());
    EXPECT_FALSE(reporter.reportedAfterEnd);

    // The definitions stay as loaded.
    EXPECT_EQ("HKLM", beta.registryKeys[0]->main);
    EXPECT_EQ("", beta.files[0]->path);
    EXPECT_EQ(dir + "\\drive", foundIn(results, 0, ItemKind::Folder, 0));
    EXPECT_EQ("Found", alpha.status);
    EXPECT_EQ("Found", beta.status);
    EXPECT_EQ("Not Found", gamma.status);   // no items, still reset

    // The results hold each find by its item, registry finds with the hive
    // they were found in; none for the items not found.
    EXPECT_EQ(7u, results.findCount());
    const std::vector<ItemFind>& fallback = results.findsOf({1, ItemKind::RegistryKey, 0});
    ASSERT_EQ(1u, fallback.size());
    EXPECT_EQ("HKLM\\" + k + "\\Evil", fallback[0].location);
    EXPECT_EQ("HKEY_CURRENT_USER|" + k + "\\Evil|", fallback[0].hive + "|" + fallback[0].key + "|" + fallback[0].value);
    const std::vector<ItemFind>& value = results.findsOf({0, ItemKind::RegistryValue, 0});
    ASSERT_EQ(1u, value.size());
    EXPECT_EQ("hkey_current_user|" + k + "|Run", value[0].hive + "|" + value[0].key + "|" + value[0].value);
    const std::vector<ItemFind>& drive = results.findsOf({1, ItemKind::File, 0});
    ASSERT_EQ(1u, drive.size());
    EXPECT_EQ(places.windowsFolder + "\\sys", drive[0].folder);
    EXPECT_FALSE(results.found({1, ItemKind::RegistryKey, 1}));
    EXPECT_FALSE(results.found({1, ItemKind::RegistryValue, 0}));

    // Registry 5 + cookie files 1 + file and folder items 3 + the walks.
    const unsigned long walked =
        countEntries(places.windowsFolder) + countEntries(dir + "\\drive");
    EXPECT_EQ(5 + 1 + 3 + walked, reporter.lastCount);
    EXPECT_FALSE(reporter.countWentBackwards);

    // The next scan of the same definitions finds the same, searching again.
    RecordingReporter next;
    runFullScan(list, next, stopRequested, &places);
    EXPECT_EQ(findEvents(reporter), findEvents(next));
}

// The removal's items: one per find, at the place the results hold for it.
TEST(FindItems, EachFindBecomesAnItemAtItsRealPlace)
{
    ParasiteList list;
    Parasite& alpha = addParasite(list, "Alpha", 2);
    addKey(alpha, "HKLM", "Software", "Bad");
    addValue(alpha, "HKLM", "Software\\Run", "Bad");
    addFile(alpha, "bad.dll", "C:\\defined");
    ScanResults results;
    const auto held = [&](ItemKind kind, const char* location, const char* hive, const char* key,
                          const char* value, const char* folder) {
        ItemFind find;
        find.kind = kind;
        find.location = location;
        find.hive = hive;
        find.key = key;
        find.value = value;
        find.folder = folder;
        results.add({0, kind, 0}, find);
    };
    held(ItemKind::RegistryKey, "K32", "HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Bad", "", "");
    held(ItemKind::RegistryValue, "V32", "HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Run", "Bad", "");
    held(ItemKind::File, "F", "", "", "", "C:\\found");
    ParasiteList items;
    const std::vector<Find> finds = itemsOfFinds(
        list, &results,
        {{ItemKind::RegistryKey, 0, 0, "k32"}, {ItemKind::RegistryKey, 0, 0, "K32"},   // once
         {ItemKind::RegistryKey, 0, 0, "HKLM\\Software\\Bad"},   // not held: as defined
         {ItemKind::RegistryValue, 0, 0, "V32"}, {ItemKind::File, 0, 0, "F"},
         {ItemKind::File, 0, 3, "F"}, {ItemKind::File, 4, 0, "F"}},   // no such item
        items);
    ASSERT_EQ(4u, finds.size());
    EXPECT_EQ(1, finds[1].itemIndex);
    EXPECT_EQ("HKLM\\Software\\Bad", finds[1].location);
    const Parasite& copy = *items.at(0);
    EXPECT_EQ("Alpha", copy.name);
    EXPECT_EQ(2, copy.dangerLevel);
    ASSERT_EQ(2u, copy.registryKeys.size());
    const RegistryKeyItem& key = *copy.registryKeys[0];
    EXPECT_EQ("HKEY_LOCAL_MACHINE|Software\\Wow6432Node|Bad|1", key.main + "|" + key.sub + "|" + key.value + "|" + std::to_string(key.selected));
    EXPECT_EQ("HKLM|Software|Bad", copy.registryKeys[1]->main + "|" + copy.registryKeys[1]->sub + "|" + copy.registryKeys[1]->value);
    const RegistryValueItem& value = *copy.registryValues[0];
    EXPECT_EQ("HKEY_LOCAL_MACHINE|Software\\Wow6432Node\\Run|Bad", value.main + "|" + value.sub + "|" + value.value);
    EXPECT_EQ("C:\\found|bad.dll", copy.files[0]->path + "|" + copy.files[0]->name);
    EXPECT_EQ("HKLM", alpha.registryKeys[0]->main);   // the definitions stay as loaded
    EXPECT_EQ(0, alpha.registryKeys[0]->selected);
}

TEST_F(FullScan, ProtectedPlacesAreSkippedBesideRealItems)
{
    const std::string k = kTestKey;
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string winlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    setUserValue(runKey, "KestruneScanTest", "evil.exe");
    // Kestrune's own settings key is protected below HKEY_CURRENT_USER only,
    // so the fallback passes over that hive and finds the copy in HKLM.
    OwnPlaces own;
    own.settingsKey = k + "\\Own";
    setUserValue(own.settingsKey, "rfp", "defs.ks");
    RegistryKey machineCopy;
    ASSERT_EQ(ERROR_SUCCESS, machineCopy.create(HKEY_LOCAL_MACHINE, own.settingsKey.c_str()));
    RegistryKey logon;
    ASSERT_EQ(ERROR_SUCCESS, logon.create(HKEY_LOCAL_MACHINE, winlogon.c_str()));
    RegSetValueExA(logon.get(), "Shell", 0, REG_SZ, reinterpret_cast<const BYTE*>("explorer.exe"),
                   13);
    char profile[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, 0, profile));
    const std::string profileFolder = profile;
    makeFile(places.cookiesFolder + "\\root@realtrack.txt");
    makeFile(dir + "\\real.dll");
    makeFile(dir + "\\RealDir\\x.txt");
    makeFile(dir + "\\drive\\Sandbox\\svchost.exe");
    // The Windows folder holds a protected svchost.exe and Fonts folder.
    places.windowsFolder = "C:\\windows";
    places.driveRoots = {dir + "\\drive\\"};

    Parasite& greedy = addParasite(list, "Greedy");
    addKey(greedy, "HKEY_CURRENT_USER", "Software", "Microsoft");
    addKey(greedy, "HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion", "Run");
    addKey(greedy, "HKEY_LOCAL_MACHINE", "System\\CurrentControlSet", "Services");
    addKey(greedy, "HKEY_CURRENT_USER", k, "Own");
    addValue(greedy, "HKEY_LOCAL_MACHINE", winlogon, "Shell");
    addValue(greedy, "HKEY_CURRENT_USER", own.settingsKey, "rfp");
    addCookie(greedy, ".");
    addCookie(greedy, "__");
    addFile(greedy, "kernel32.dll", "C:\\windows\\system32");
    addFile(greedy, "services.exe", "C:\\Windows\\System32\\");
    addFile(greedy, "explorer.exe", "c:\\windows");
    addFile(greedy, "real.dll", dir + "\\inner\\..");   // leads to a real file, refused
    addFile(greedy, "..", dir + "\\RealDir");
    addFolder(greedy, "windows", "C:");
    addFolder(greedy, "Program Files", "C:\\");
    addFolder(greedy, baseNameOf(profileFolder),
              parentFolderOf(profileFolder));
    addFolder(greedy, "Fonts", "");
    Parasite& real = addParasite(list, "Real");
    addKey(real, "HKEY_CURRENT_USER", k, "Evil");
    addKey(real, "", k, "Own");
    addValue(real, "HKEY_CURRENT_USER", runKey, "KestruneScanTest");   // a Run value is not
    addCookie(real, "realtrack");
    addFile(real, "real.dll", dir);
    addFolder(real, "RealDir", dir);
    addFile(real, "svchost.exe", "");
    const std::vector<std::string> expected = {
        "found:RegKey:1:0:HKEY_CURRENT_USER\\" + k + "\\Evil",
        "found:RegKey:1:1:\\" + k + "\\Own",   // formatted before the fallback
        "found:RegValue:1:0:HKEY_CURRENT_USER\\" + runKey + " : KestruneScanTest",
        "found:Cookie:1:0:realtrack",
        "found:File:1:0:" + dir + "\\real.dll",
        "found:Folder:1:0:" + dir + "\\RealDir",
        "found:File:1:1:" + dir + "\\drive\\Sandbox\\svchost.exe",
    };
    std::vector<std::string> skipped = {
        "RegKey:0:0:HKEY_CURRENT_USER\\Software\\Microsoft",
        "RegKey:0:1:HKEY_CURRENT_USER\\" + runKey,
        "RegKey:0:2:HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services",
        "RegKey:0:3:HKEY_CURRENT_USER\\" + k + "\\Own",
        "RegValue:0:0:HKEY_LOCAL_MACHINE\\" + winlogon + " : Shell",
        "RegValue:0:1:HKEY_CURRENT_USER\\" + own.settingsKey + " : rfp",
        "Cookie:0:0:.",
        "Cookie:0:1:__",
        "File:0:0:C:\\windows\\system32\\kernel32.dll",
        "File:0:1:C:\\Windows\\System32\\\\services.exe",
        "File:0:2:c:\\windows\\explorer.exe",
        "File:0:3:" + dir + "\\inner\\..\\real.dll",
        "File:0:4:" + dir + "\\RealDir\\..",
        "Folder:0:0:C:\\windows",
        "Folder:0:1:C:\\\\Program Files",
        "Folder:0:2:" + profileFolder,
        "Folder:0:3:C:\\windows\\Fonts",
        "File:1:1:C:\\windows\\system32\\svchost.exe",
    };

    const ProtectedPlaces protectedPlaces = ProtectedPlaces::forThisMachine(own);
    ScanResults results;
    runFullScan(list, reporter, stopRequested, &places, &protectedPlaces, nullptr, &results);

    EXPECT_EQ(expected, findEvents(reporter));
    // The Windows folder's entries come in the order of its listing.
    std::sort(skipped.begin(), skipped.end());
    std::sort(reporter.skipped.begin(), reporter.skipped.end());
    EXPECT_EQ(skipped, reporter.skipped);
    EXPECT_EQ("Not Found", greedy.status);
    for (const ItemRef& item : results.items())
        EXPECT_NE(0, item.parasiteIndex) << "greedy item " << item.itemIndex << " found";
    const std::vector<ItemFind>& realKey = results.findsOf({1, ItemKind::RegistryKey, 1});
    ASSERT_EQ(1u, realKey.size());
    EXPECT_EQ("HKEY_LOCAL_MACHINE", realKey[0].hive);
    EXPECT_EQ(dir + "\\drive\\Sandbox", foundIn(results, 1, ItemKind::File, 1));
    // Registry 9 + cookie file 1 + file and folder items 12 + the walks:
    // skipped items count as scanned like any other.
    EXPECT_EQ(9 + 1 + 12 + countEntries(places.windowsFolder) + countEntries(dir + "\\drive"),
              reporter.lastCount);
    EXPECT_EQ(std::vector<std::string>{"1 warning completed|whole PC|7|" +
                                       std::to_string(reporter.lastCount) + "|0|18|0"},
              scanEvents(events));
}

TEST_F(FullScan, IgnoredFindsAreNeitherReportedNorCountedUntilTheirEntryGoes)
{
    const std::string k = kTestKey;
    makeFile(places.cookiesFolder + "\\root@alpha-ads.txt");
    makeFile(dir + "\\alpha.dll");
    makeFile(places.windowsFolder + "\\sys\\beta.dll");
    makeFile(dir + "\\drive\\beta.dll");   // a second copy takes the pending item
    makeFolder(dir + "\\drive\\AlphaDir");
    places.driveRoots = {dir + "\\drive\\"};
    Parasite& alpha = addParasite(list, "Alpha", 1);
    addKey(alpha, "HKEY_CURRENT_USER", kTestKey, "Evil");
    addValue(alpha, "HKEY_CURRENT_USER", kTestKey, "Run");
    addCookie(alpha, "alpha");
    addFile(alpha, "alpha.dll", dir);
    addFolder(alpha, "AlphaDir", "");
    Parasite& beta = addParasite(list, "Beta");
    addKey(beta, "HKLM", kTestKey, "Evil");   // shown as HKLM, found in HKEY_CURRENT_USER
    addFile(beta, "beta.dll", "");

    IgnoreSet ignored;
    ignored.add(ItemKind::RegistryKey, "hkey_current_user\\" + k + "\\EVIL");
    ignored.add(ItemKind::RegistryValue, "HKEY_CURRENT_USER\\" + k + " : run");
    ignored.add(ItemKind::Cookie, "ALPHA");
    ignored.add(ItemKind::File, dir + "\\ALPHA.DLL");
    ignored.add(ItemKind::File, places.windowsFolder + "\\sys\\beta.dll");
    ignored.add(ItemKind::File, dir + "\\drive\\AlphaDir");   // another kind: no match

    const ProtectedPlaces none;
    ScanResults results;
    ScanOutcome outcome = runFullScan(list, reporter, stopRequested, &places, &none, &ignored, &results);

    EXPECT_EQ((std::vector<std::string>{dir + "\\drive\\AlphaDir", dir + "\\drive\\beta.dll"}),
              reporter.locations());
    EXPECT_EQ((std::vector<std::string>{
                  "RegKey:0:0:HKEY_CURRENT_USER\\" + k + "\\Evil",
                  "RegKey:1:0:HKLM\\" + k + "\\Evil",
                  "RegValue:0:0:HKEY_CURRENT_USER\\" + k + " : Run",
                  "Cookie:0:0:alpha",
                  "File:0:0:" + dir + "\\alpha.dll",
                  "File:1:0:" + places.windowsFolder + "\\sys\\beta.dll",
              }),
              reporter.ignored);
    EXPECT_EQ(6u, outcome.ignored);
    EXPECT_EQ("Scan Completed (6 finds ignored)", reporter.texts.back());
    EXPECT_FALSE(results.found({0, ItemKind::File, 0}));
    EXPECT_FALSE(results.found({0, ItemKind::RegistryKey, 0}));
    EXPECT_FALSE(results.found({0, ItemKind::Cookie, 0}));
    EXPECT_EQ(dir + "\\drive", foundIn(results, 1, ItemKind::File, 0));

    // Without its entry a find comes back.
    RecordingReporter next;
    ScanResults nextResults;
    outcome = runFullScan(list, next, stopRequested, &places, &none, nullptr, &nextResults);
    EXPECT_EQ(0u, outcome.ignored);
    EXPECT_EQ(7u, next.finds.size());   // beta.dll once, where the walk meets it first
    EXPECT_EQ("Scan Completed", next.texts.back());
    EXPECT_TRUE(nextResults.found({0, ItemKind::File, 0}));
}

TEST_F(FullScan, AFindThatWasRemovedIsNotFoundNextTime)
{
    makeFile(dir + "\\gone.dll");
    Parasite& p = addParasite(list, "P");
    addFile(p, "gone.dll", dir);
    ScanResults first;
    runFullScan(list, reporter, stopRequested, &places, nullptr, nullptr, &first);
    ASSERT_TRUE(first.found({0, ItemKind::File, 0}));
    DeleteFileA((dir + "\\gone.dll").c_str());
    RecordingReporter next;
    ScanResults second;
    runFullScan(list, next, stopRequested, &places, nullptr, nullptr, &second);
    EXPECT_FALSE(second.found({0, ItemKind::File, 0}));
    EXPECT_TRUE(next.finds.empty());
    EXPECT_EQ("Not Found", p.status);
}

TEST_F(FullScan, AnEmptyListStillListsCookiesAndWalks)
{
    makeFile(places.cookiesFolder + "\\a.txt");
    makeFile(places.cookiesFolder + "\\b.txt");
    makeFile(places.windowsFolder + "\\x\\y.txt");
    runFullScan(list, reporter, stopRequested, &places);
    EXPECT_TRUE(reporter.finds.empty());
    EXPECT_EQ(2 + countEntries(places.windowsFolder), reporter.lastCount);
    EXPECT_EQ(1, reporter.ended);
}

TEST_F(FullScan, AStopRequestedBeforeTheStartIsKept)
{
    Parasite& p = addParasite(list, "P");
    addKey(p, "HKEY_CURRENT_USER", kTestKey, "Evil");
    stopRequested = true;
    runFullScan(list, reporter, stopRequested, &places);
    EXPECT_TRUE(stopRequested);   // the scan never clears it itself
    EXPECT_TRUE(reporter.finds.empty());
    EXPECT_EQ(0, reporter.countCalls);
    EXPECT_EQ("Not scanned", p.status);
    EXPECT_EQ("Scan Completed", reporter.texts.back());
    EXPECT_EQ(1, reporter.started);
    EXPECT_EQ(1, reporter.ended);
    EXPECT_EQ(std::vector<std::string>{"1 info stopped|whole PC|0|0|0|0|0"}, scanEvents(events));
}

TEST_F(FullScan, StoppingInEachPhaseEndsTheScanThere)
{
    makeFile(places.cookiesFolder + "\\one@evil.txt");
    makeFile(places.cookiesFolder + "\\two@evil.txt");
    makeFile(dir + "\\evil.dll");
    makeFile(places.windowsFolder + "\\sub\\pending.dll");
    makeFile(places.windowsFolder + "\\sub\\more.txt");
    places.driveRoots = {dir + "\\"};

    const ScanPhase phases[] = {ScanPhase::RegistryKeys, ScanPhase::RegistryValues,
                                ScanPhase::Cookies,      ScanPhase::Files,
                                ScanPhase::Folders,      ScanPhase::DriveSearch};
    for (ScanPhase phase : phases) {
        SCOPED_TRACE(phaseName(phase));
        stopRequested = false;
        ParasiteList parasites;
        for (int i = 0; i < 3; ++i) {
            Parasite& p = addParasite(parasites, "P" + std::to_string(i));
            addKey(p, "HKEY_CURRENT_USER", kTestKey, "Evil");
            addKey(p, "HKEY_CURRENT_USER", kTestKey, "Evil");
            addValue(p, "HKEY_CURRENT_USER", kTestKey, "Run");
            addValue(p, "HKEY_CURRENT_USER", kTestKey, "Run");
            addCookie(p, "evil");
            addFile(p, "evil.dll", dir);
            addFile(p, "evil.dll", dir);
            addFolder(p, "sub", "");
            addFile(p, "pending.dll", "");
        }
        RecordingReporter r;
        bool inPhase = false;
        size_t eventsAtStop = 0;
        r.hook = [&](const std::string& event) {
            if (event == std::string("phase:") + phaseName(phase))
                inPhase = true;
            else if (inPhase && !stopRequested && event.rfind("count:", 0) == 0) {
                stopRequested = true;
                eventsAtStop = r.events.size();
            }
        };
        ScanResults results;
        runFullScan(parasites, r, stopRequested, &places, nullptr, nullptr, &results);
        ASSERT_TRUE(stopRequested);
        EXPECT_EQ(phase, r.phases.back());
        // After the stop only the end is reported.
        ASSERT_EQ(eventsAtStop + 1, r.events.size());
        EXPECT_EQ("ended", r.events.back());
        EXPECT_EQ("Scan Completed", r.texts.back());
        if (phase == ScanPhase::RegistryKeys) {
            // The first key of the first parasite was the last item tested.
            EXPECT_EQ("Found", parasites.at(0)->status);
            EXPECT_TRUE(results.found({0, ItemKind::RegistryKey, 0}));
            EXPECT_FALSE(results.found({0, ItemKind::RegistryKey, 1}));
            EXPECT_EQ("Not scanned", parasites.at(1)->status);
        }
    }
}

TEST_F(FullScan, AFailureEndsTheScanThroughItsEndStepAndSaysSo)
{
    makeFile(dir + "\\t.dll");
    places.driveRoots = {dir + "\\"};
    const struct {
        const char* throwOn;   // the first event whose report throws
        bool outOfMemory;      // std::bad_alloc, else std::runtime_error
        bool folderScan;
        const char* reason;
    } cases[] = {
        {"found:", true, false, "out of memory"},
        {"found:", false, false, "internal error"},
        {"phase:drive search", false, false, "internal error"},
        // Every status text throws, the end step's own too.
        {"text:", true, false, "out of memory"},
        {"found:", true, true, "out of memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.throwOn) + (c.folderScan ? " (folder scan)" : ""));
        ParasiteList parasites;
        Parasite& p = addParasite(parasites, "P");
        addFile(p, "t.dll", dir);
        addFile(p, "t.dll", "");
        RecordingReporter r;
        r.hook = [&](const std::string& event) {
            if (event.rfind(c.throwOn, 0) != 0)
                return;
            if (c.outOfMemory)
                throw std::bad_alloc();
            throw std::runtime_error("broken");
        };
        const ScanOutcome outcome =
            c.folderScan ? runFolderScan(parasites, r, stopRequested, dir) : runFullScan(parasites, r, stopRequested, &places);
        EXPECT_EQ(c.reason, outcome.failure);
        ASSERT_GE(r.events.size(), 2u);
        EXPECT_EQ(std::string("failed:") + c.reason, r.events[r.events.size() - 2]);
        EXPECT_EQ("ended", r.events.back());
        EXPECT_EQ(1, r.ended);
        EXPECT_FALSE(r.reportedAfterEnd);
        EXPECT_EQ("Scan Failed", r.texts.back());
        EXPECT_FALSE(stopRequested);
        EXPECT_EQ(std::string("1 error failed: ") + c.reason,
                  events.lines().back().substr(0, events.lines().back().find('|')));
    }
}

// Names in any language can be read (the test program, like Kestrune, works
// in UTF-8), and so can folders past MAX_PATH: nothing is left unreadable.
TEST_F(FullScan, NamesInAnyLanguageAndPathsPastMaxPathAreSearched)
{
    // Past MAX_PATH is no longer out of reach: deep.dll is found there; and
    // with the UTF-8 code page no name is out of reach either (what cannot be
    // read at any length is the end-to-end scan's to show).
    ASSERT_FALSE(makeTooDeepFolder(dir).empty());
    std::string deepest = dir;
    for (int level = 0; level < 8; ++level)
        deepest += "\\" + std::string(50, 'd');
    makeWideEntry(dir, L"\x4e2d.dll", false);
    makeWideEntry(dir, L"\x6587", true);
    makeFile(dir + "\\seen.dll");
    makeFile(dir + "\\kept.dll");
    places.driveRoots = {dir};
    IgnoreSet ignored;
    ignored.add(ItemKind::File, dir + "\\kept.dll");

    for (bool folderScan : {false, true}) {
        SCOPED_TRACE(folderScan ? "folder scan" : "full scan");
        ParasiteList parasites;
        Parasite& p = addParasite(parasites, "P");
        addFile(p, "seen.dll", folderScan ? dir : "");
        addFile(p, "deep.dll", "");
        addFile(p, "kept.dll", folderScan ? dir : "");
        addFile(p, "\xE4\xB8\xAD.dll", folderScan ? dir : "");
        RecordingReporter r;
        const ProtectedPlaces none;
        const ScanOutcome outcome =
            folderScan ? runFolderScan(parasites, r, stopRequested, dir, &none, &ignored)
                       : runFullScan(parasites, r, stopRequested, &places, &none, &ignored);
        EXPECT_TRUE(r.unreadables.empty());
        EXPECT_EQ(0u, outcome.unreadable);
        EXPECT_EQ("", outcome.failure);
        EXPECT_EQ("Scan Completed (1 find ignored)", r.texts.back());
        // Everything is searched (the placeless deep.dll by the full scan's
        // drive search only).
        std::vector<std::string> expectedFinds = {dir + "\\seen.dll", dir + "\\\xE4\xB8\xAD.dll"};
        if (!folderScan)
            expectedFinds.push_back(deepest + "\\deep.dll");
        std::sort(expectedFinds.begin(), expectedFinds.end());
        std::vector<std::string> found = r.locations();
        std::sort(found.begin(), found.end());
        EXPECT_EQ(expectedFinds, found);
    }
}

// Generated trees searched by one walker and by two: the same finds, skips,
// unreadable places and count, in the same order, and the same places written
// into the items; a two-walker search stopped midway has reported a prefix.
// The trees are evenly spread, skewed (the first top-level folder holds about
// half the entries, folder sizes follow a power law, a few deep chains), or
// held whole by one top-level folder; on the last two a walker must have
// taken over folders from the other.
TEST_F(FullScan, TwoWalkersReportExactlyWhatOneReports)
{
    enum Shape { Spread, Skewed, OneTopFolder };
    const Shape shapes[] = {Spread, Spread, Spread, Skewed, Skewed, OneTopFolder, OneTopFolder};
    const char* fileNames[] = {"a.dll", "A.DLL", "b.exe", "c", "bad.dat"};
    const char* folderNames[] = {"sub", "Sub2", "x", "BAD"};
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % n); };
    auto powerLaw = [&] {
        const double u = (pick(1000) + 1) / 1000.0;
        return std::min(60, static_cast<int>(std::pow(u, -1.2)) - 1);
    };
    int finds = 0, stoppedFinds = 0;
    for (int round = 0; round < static_cast<int>(std::size(shapes)); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Shape shape = shapes[round];
        const std::string root = freshFolder();
        std::vector<std::string> folders, files;
        auto addFiles = [&](const std::string& folder, int count) {
            for (; count > 0; --count) {
                files.push_back(folder + "\\" + fileNames[pick(5)]);
                makeFile(files.back());
            }
        };
        auto subfolder = [&](const std::string& folder) {
            return folder + "\\" + folderNames[pick(4)] + std::to_string(pick(3));
        };
        std::function<void(const std::string&, int, bool)> grow =
            [&](const std::string& folder, int depth, bool heavy) {
                makeFolder(folder);
                folders.push_back(folder);
                if (depth < 0) {   // the root of OneTopFolder
                    grow(folder + "\\all", 0, false);
                    return;
                }
                addFiles(folder, shape == Skewed ? powerLaw() : pick(6));
                if (shape == Skewed && depth == 0) {
                    grow(folder + "\\heavy", 1, true);
                    for (int chain = 0; chain < 2; ++chain) {
                        std::string deep = folder + "\\deep" + std::to_string(chain);
                        for (int level = 0; level < 24; ++level, deep = subfolder(deep)) {
                            makeFolder(deep);
                            folders.push_back(deep);
                            addFiles(deep, 1);
                        }
                    }
                }
                int subfolders = depth == 0 ? 3 + pick(6) : pick(depth < 4 ? 4 : 1);
                if (heavy)
                    subfolders = depth < 4 ? 3 : 0;
                for (; subfolders > 0; --subfolders)
                    grow(subfolder(folder), depth + 1, heavy);
            };
        grow(root, shape == OneTopFolder ? -1 : 0, false);
        makeWideEntry(folders[pick(static_cast<int>(folders.size()))], L"\x4e2d.dll", false);
        ProtectedPlaces protectedPlaces;
        protectedPlaces.addFile(files[pick(static_cast<int>(files.size()))]);
        protectedPlaces.addFolder(folders[1 + pick(static_cast<int>(folders.size()) - 1)]);
        places.windowsFolder = folders[1];   // walked first, then again with its drive
        places.driveRoots = {root + "\\"};

        // Items with and without a place, names that repeat and differ in case.
        const unsigned seed = static_cast<unsigned>(random());
        auto definitions = [&](ParasiteList& list) {
            std::mt19937 items(seed);
            for (int p = 0; p < 8; ++p) {
                Parasite& parasite = addParasite(list, "P" + std::to_string(p));
                for (int i = static_cast<int>(items() % 4); i > 0; --i) {
                    const bool placed = items() % 4 == 0;
                    const std::string place = placed ? folders[items() % folders.size()] : "";
                    if (items() % 2)
                        addFile(parasite, fileNames[items() % 5], place);
                    else
                        addFolder(parasite,
                                  folderNames[items() % 4] + std::to_string(items() % 3), place);
                }
            }
        };
        auto scan = [&](int threads, ParasiteList& list, RecordingReporter& reporter,
                        ScanResults* results) {
            ScanPlaces walked = places;
            walked.searchThreads = threads;
            runFullScan(list, reporter, stopRequested, &walked, &protectedPlaces, nullptr, results);
        };
        ParasiteList oneList, twoList, stoppedList;
        definitions(oneList);
        definitions(twoList);
        definitions(stoppedList);
        RecordingReporter one, two, stopped;
        ScanResults oneResults, twoResults;
        scan(1, oneList, one, &oneResults);
        const unsigned long takenOver = foldersTakenOver();
        scan(2, twoList, two, &twoResults);
        if (shape != Spread) {
            EXPECT_GT(foldersTakenOver(), takenOver);
        }
        EXPECT_EQ(one.events, two.events);
        EXPECT_EQ(one.skipped, two.skipped);
        EXPECT_EQ(one.lastCount, two.lastCount);
        EXPECT_FALSE(two.countWentBackwards);
        for (int p = 0; p < oneList.count(); ++p) {
            for (int i = 0; i < static_cast<int>(oneList.at(p)->files.size()); ++i)
                EXPECT_EQ(foundIn(oneResults, p, ItemKind::File, i),
                          foundIn(twoResults, p, ItemKind::File, i));
            for (int i = 0; i < static_cast<int>(oneList.at(p)->directories.size()); ++i)
                EXPECT_EQ(foundIn(oneResults, p, ItemKind::Folder, i),
                          foundIn(twoResults, p, ItemKind::Folder, i));
        }
        finds += static_cast<int>(one.finds.size());

        const unsigned long stopAt = one.lastCount * pick(100) / 100;
        stopped.hook = [&](const std::string& event) {
            if (event.rfind("count:", 0) == 0 && stopped.lastCount >= stopAt)
                stopRequested = true;
        };
        scan(2, stoppedList, stopped, nullptr);
        stopRequested = false;
        ASSERT_EQ("ended", stopped.events.back());
        ASSERT_LE(stopped.events.size(), one.events.size());
        EXPECT_TRUE(std::equal(stopped.events.begin(), stopped.events.end() - 1, one.events.begin()));
        ASSERT_LE(stopped.skipped.size(), one.skipped.size());
        EXPECT_TRUE(std::equal(stopped.skipped.begin(), stopped.skipped.end(), one.skipped.begin()));
        stoppedFinds += static_cast<int>(stopped.finds.size());
    }
    EXPECT_GT(finds, 20);
    EXPECT_LT(stoppedFinds, finds);
}

TEST(DriveList, RemovableAndCdromDrivesAreListedCdromIsNotSearched)
{
    // wine-setup.sh maps D: as a removable and E: as a CD-ROM drive.
    EXPECT_EQ((std::vector<std::string>{"C:\\", "D:\\", "E:\\"}), logicalDriveRoots());
    EXPECT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), GetDriveTypeA("D:\\"));
    EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("E:\\"));
    EXPECT_TRUE(driveIsSearched("C:\\"));
    EXPECT_TRUE(driveIsSearched("D:\\"));
    EXPECT_FALSE(driveIsSearched("E:\\"));
    EXPECT_TRUE(sameText("C:\\windows", systemWindowsFolder()));
}

TEST(SystemScan, SearchesTheWindowsFolderFirstThenEveryDriveButTheCdrom)
{
    stopRequested = false;
    const std::string dir = freshFolder();
    makeFile(dir + "\\winfirst.dll");
    makeFile("C:\\windows\\kestrune-test\\winfirst.dll");
    const std::string cookies = systemCookiesFolder();
    ASSERT_FALSE(cookies.empty());
    makeFile(cookies + "\\root@systemscan.txt");

    ParasiteList list;
    Parasite& p = addParasite(list, "Everywhere");
    addFile(p, "winfirst.dll", "");
    addFile(p, "onremovable.dll", "");
    addFile(p, "oncdrom.dll", "");
    addFolder(p, "cdromfolder", "");
    addFile(p, "rootfile.dll", "");
    addFile(p, "linked.dll", "");
    addCookie(p, "SystemScan");
    Parasite& q = addParasite(list, "Second taker");
    addFile(q, "winfirst.dll", "");
    addFile(q, "kernel32.dll", "");   // only in System32: protected by default

    RecordingReporter reporter;
    ScanResults results;
    runFullScan(list, reporter, stopRequested, nullptr, nullptr, nullptr, &results);

    EXPECT_EQ("C:\\windows\\kestrune-test", foundIn(results, 0, ItemKind::File, 0));
    // The copy on C: outside the Windows folder.
    EXPECT_EQ(dir, foundIn(results, 1, ItemKind::File, 0));
    EXPECT_FALSE(results.found({1, ItemKind::File, 1}));
    EXPECT_EQ("D:\\deep\\er", foundIn(results, 0, ItemKind::File, 1));
    EXPECT_FALSE(results.found({0, ItemKind::File, 2}));
    EXPECT_FALSE(results.found({0, ItemKind::Folder, 0}));
    EXPECT_EQ("D:", foundIn(results, 0, ItemKind::File, 3));
    // Walked once through C:\links\real, never through its links.
    EXPECT_EQ("C:\\links\\real\\inner", foundIn(results, 0, ItemKind::File, 4));
    int linkedFinds = 0;
    for (const Find& f : reporter.finds)
        linkedFinds += f.location.find("linked.dll") != std::string::npos;
    EXPECT_EQ(1, linkedFinds);
    for (const std::string& text : reporter.texts)
        ASSERT_NE(0u, text.rfind("E:", 0)) << text;

    std::vector<std::string> locations = reporter.locations();
    ASSERT_EQ(6u, locations.size());
    EXPECT_EQ("SystemScan", locations[0]);
    EXPECT_EQ("C:\\windows\\kestrune-test\\winfirst.dll", locations[1]);
    // Drive C: before drive D:.
    auto at = [&](const std::string& s) {
        return std::find(locations.begin(), locations.end(), s) - locations.begin();
    };
    EXPECT_LT(at(dir + "\\winfirst.dll"), at("D:\\rootfile.dll"));
    EXPECT_LT(at("C:\\links\\real\\inner\\linked.dll"), at("D:\\deep\\er\\onremovable.dll"));
}

TEST(ScanThreads, EntryPointsRunTheScansOnTheirOwnThread)
{
    stopRequested = false;
    const std::string dir = freshFolder();
    makeFile(dir + "\\t.dll");
    ParasiteList list;
    Parasite& p = addParasite(list, "P");
    addFile(p, "t.dll", dir);
    addKey(p, "HKEY_CURRENT_USER", "Software", "NoSuchKestruneKey");
    RecordingReporter reporter;
    ScanJob job;
    job.parasites = &list;
    job.reporter = &reporter;
    job.places = ScanPlaces{};

    DWORD id = 0;
    ScopedHandle thread(CreateThread(nullptr, 0, ScanThread, &job, 0, &id));
    ASSERT_TRUE(thread.valid());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), 30000));
    DWORD code = 1;
    GetExitCodeThread(thread.get(), &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(1, reporter.ended);
    EXPECT_EQ(std::vector<std::string>{dir + "\\t.dll"}, reporter.locations());

    RecordingReporter folderReporter;
    job.reporter = &folderReporter;
    job.folder = dir;
    p.status = "Unchanged";
    ScopedHandle folderThread(CreateThread(nullptr, 0, FolderScanThread, &job, 0, &id));
    ASSERT_TRUE(folderThread.valid());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(folderThread.get(), 30000));
    EXPECT_EQ((std::vector<std::string>{"started", "phase:folder",
                                        "found:File:0:0:" + dir + "\\t.dll", "ended"}),
              folderReporter.events);
    EXPECT_EQ("Completed!", folderReporter.texts.back());
    EXPECT_EQ(countEntries(dir), folderReporter.lastCount);
    EXPECT_EQ("Found", p.status);
}

TEST(FolderScan, TestsNoRegistryOrCookieAndResetsNoStatus)
{
    stopRequested = false;
    deleteUserKeyTree(kTestKey);
    makeUserKey(std::string(kTestKey) + "\\Evil");
    const std::string dir = freshFolder();
    makeFile(dir + "\\cookie@folder.txt");
    ParasiteList list;
    Parasite& p = addParasite(list, "P");
    addKey(p, "HKEY_CURRENT_USER", kTestKey, "Evil");
    addCookie(p, "folder");
    addFile(p, "elsewhere.dll", "C:\\");
    RecordingReporter reporter;
    ScanResults results;
    runFolderScan(list, reporter, stopRequested, dir, nullptr, nullptr, &results);
    EXPECT_TRUE(reporter.finds.empty());
    EXPECT_EQ("Not scanned", p.status);
    EXPECT_EQ(0u, results.findCount());
}

TEST(FolderScan, SkipsProtectedFilesOfTheChosenFolder)
{
    stopRequested = false;
    const std::string system32 = "C:\\windows\\system32";
    makeFile(system32 + "\\kestrune-planted.dll");
    ParasiteList list;
    Parasite& greedy = addParasite(list, "Greedy");
    addFile(greedy, "kernel32.dll", system32);
    addFolder(greedy, "drivers", system32);
    Parasite& real = addParasite(list, "Real");
    addFile(real, "kestrune-planted.dll", system32);
    RecordingReporter reporter;
    RecordingEventSink events;
    runFolderScan(list, reporter, stopRequested, system32 + "\\");   // this machine's places by default
    EXPECT_EQ(std::vector<std::string>{system32 + "\\kestrune-planted.dll"}, reporter.locations());
    std::sort(reporter.skipped.begin(), reporter.skipped.end());
    EXPECT_EQ((std::vector<std::string>{"File:0:0:" + system32 + "\\kernel32.dll",
                                        "Folder:0:0:" + system32 + "\\drivers"}),
              reporter.skipped);
    EXPECT_EQ("Not scanned", greedy.status);
    EXPECT_EQ("Found", real.status);
    EXPECT_EQ(std::vector<std::string>{"1 warning completed|folder " + system32 + "\\|1|" +
                                       std::to_string(reporter.lastCount) + "|0|2|0"},
              scanEvents(events));
    DeleteFileA((system32 + "\\kestrune-planted.dll").c_str());
}
