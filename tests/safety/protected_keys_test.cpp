// The registry half of the protected places: built-in keys and the keys that
// hold them, the system's vital values, the settings key, and the spellings
// that name the same key.
#include "safety/protected_places.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

namespace {

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char kEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

struct KeyCase {
    const char* hive;
    std::string subKey;
    bool expected;
};

TEST(ProtectedKeys, BuiltInKeysAndTheirHoldersButNotTheKeysBelow)
{
    const std::string run = kRun;
    const KeyCase cases[] = {
        {"HKEY_LOCAL_MACHINE", "", true},
        {"HKEY_LOCAL_MACHINE", "\\", true},
        {"HKEY_LOCAL_MACHINE", "Software", true},
        {"hkey_local_machine", "SOFTWARE\\", true},
        {"HKEY_LOCAL_MACHINE", "software\\\\microsoft", true},
        {"HKEY_LOCAL_MACHINE", run, true},
        {"HKEY_LOCAL_MACHINE", run + "\\", true},
        {"HKEY_LOCAL_MACHINE", run + "\\Evil", false},
        {"HKEY_LOCAL_MACHINE", "Software\\Parasite", false},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Parasite", false},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\ControlSet001\\Services", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\ControlSet002\\Services\\EvilService", false},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Session Manager", true},
        {"HKEY_LOCAL_MACHINE",
         "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", true},
        {"HKEY_LOCAL_MACHINE",
         "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\evil.exe",
         false},
        {"HKEY_CURRENT_USER", run, true},
        {"HKEY_CURRENT_USER", "Software\\Policies", true},
        {"HKEY_USERS", "", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000\\Software\\Microsoft", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000_Classes\\CLSID", true},
        {"HKEY_USERS", ".DEFAULT\\Software\\Parasite", false},
        {"HKEY_CLASSES_ROOT", "CLSID", true},
        {"HKEY_CLASSES_ROOT", "Wow6432Node\\CLSID", true},
        {"HKEY_CLASSES_ROOT", "CLSID\\{0badc0de-0000-4000-8000-000000000001}", false},
        {"HKEY_CLASSES_ROOT", ".exe", true},
        {"HKEY_CLASSES_ROOT", "exefile\\shell\\open\\command", true},
        {"HKEY_CLASSES_ROOT", "*", true},
        {"HKEY_CLASSES_ROOT", "Directory", true},
        {"HKEY_CLASSES_ROOT", "Parasite.Toolbar", false},
        {"HKEY_CLASSES_ROOT", "txtfile", true},
        {"HKEY_CLASSES_ROOT", "http\\shell\\open\\command", true},
        {"HKEY_CLASSES_ROOT", ".reg", true},
        {"HKEY_CURRENT_USER", "Software\\Classes\\mailto", true},
        {"HKEY_CLASSES_ROOT", "*\\shellex\\ContextMenuHandlers\\Parasite", false},
        {"HKEY_CLASSES_ROOT", "Directory\\shell\\ParasiteVerb", false},
        // A clean Windows' services with everything below them, and Lsa.
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\RpcSs", true},
        {"HKLM", "system\\controlset001\\services\\PLUGPLAY\\Parameters", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\RpcSsX", false},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Lsa", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Lsa\\MSV1_0", true},
        {"", "SYSTEM\\CurrentControlSet\\Services\\Dnscache", true},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Internet Explorer\\SearchScopes", true},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Internet Explorer\\SearchScopes\\Parasite", false},
        {"HKEY_CURRENT_CONFIG", "", true},
        {"HKEY_CURRENT_CONFIG", "Software", true},
        // The scan tries every hive when MAIN names none: protected in any.
        {"", "Software\\Microsoft", true},
        {"HKLM", "Software", true},
        {"", "S-1-5-18", true},
        {"", "Parasite.Toolbar", false},
        {"", "Software\\Parasite", false},
    };
    const ks::ProtectedPlaces places;
    for (const KeyCase& c : cases)
        EXPECT_EQ(c.expected, places.isProtectedKey(c.hive, c.subKey)) << c.hive << " [" << c.subKey << "]";
}

TEST(ProtectedKeys, SettingsKeyWithEverythingBelowItInEveryUsersHive)
{
    const KeyCase cases[] = {
        {"HKEY_CURRENT_USER", "Software\\Kestrune", true},
        {"HKEY_CURRENT_USER", "software\\kestrune\\sub\\deeper", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000\\Software\\Kestrune", true},
        {"HKEY_CURRENT_USER", "Software\\KestruneX", false},
        {"HKEY_LOCAL_MACHINE", "Software\\Kestrune", false},
    };
    const ks::ProtectedPlaces places;
    for (const KeyCase& c : cases)
        EXPECT_EQ(c.expected, places.isProtectedKey(c.hive, c.subKey)) << c.hive << " [" << c.subKey << "]";

    ks::ProtectedPlaces moved;
    moved.setSettingsKey("Software\\Elsewhere\\Kestrune");
    EXPECT_TRUE(moved.isProtectedKey("HKEY_CURRENT_USER", "Software\\Elsewhere"));
    EXPECT_TRUE(moved.isProtectedKey("HKEY_CURRENT_USER", "Software\\Elsewhere\\Kestrune\\x"));
    EXPECT_FALSE(moved.isProtectedKey("HKEY_CURRENT_USER", "Software\\Kestrune"));
}

struct ValueCase {
    const char* hive;
    std::string subKey;
    const char* value;
    bool expected;
};

TEST(ProtectedKeys, OnlyTheValuesWindowsCannotStartWithoutAndTheSettings)
{
    const std::string winlogon = kWinlogon;
    const std::string environment = kEnvironment;
    const ValueCase cases[] = {
        {"HKEY_LOCAL_MACHINE", winlogon, "Userinit", true},
        {"HKEY_LOCAL_MACHINE", winlogon, "shell", true},
        {"HKEY_LOCAL_MACHINE", winlogon + "\\", "Shell", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
         "Shell", true},
        {"HKEY_LOCAL_MACHINE", winlogon, "Taskman", false},
        {"HKEY_CURRENT_USER", winlogon, "Shell", false},   // a user's own: a parasite's place
        {"", winlogon, "Shell", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "BootExecute",
         true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment", "Path",
         true},
        {"HKEY_LOCAL_MACHINE", environment, "ComSpec", true},
        {"HKEY_LOCAL_MACHINE", environment, "SystemRoot", true},
        {"HKEY_LOCAL_MACHINE", environment, "windir", true},
        {"HKEY_LOCAL_MACHINE", environment, "PARASITE_HOME", false},
        {"HKEY_LOCAL_MACHINE", kRun, "Evil", false},
        {"HKEY_CURRENT_USER", kRun, "Evil", false},
        {"HKEY_CURRENT_USER", kRun, "", false},
        {"HKEY_CURRENT_USER", "Software\\Kestrune", "path", true},
        {"HKEY_CURRENT_USER", "Software\\Kestrune\\sub", "", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000\\Software\\Kestrune", "rfp", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Kestrune", "path", false},
        // The values every Windows holds: a hijacker changes their data.
        {"HKEY_LOCAL_MACHINE", environment, "PATHEXT", true},
        {"HKEY_LOCAL_MACHINE", environment, "TEMP", true},
        {"HKEY_LOCAL_MACHINE", environment, "PROCESSOR_ARCHITECTURE", true},
        {"HKEY_CURRENT_USER", "Environment", "TMP", true},
        {"HKEY_USERS", "S-1-5-21-7-7-7-1000\\Environment", "Temp", true},
        {"HKEY_CURRENT_USER", "Environment", "PARASITE_HOME", false},
        {"HKEY_CURRENT_USER", environment, "PATHEXT", false},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion",
         "ProgramFilesDir (x86)", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion", "Parasite", false},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Internet Explorer\\Main", "Search Page", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Internet Explorer\\Main", "start page", true},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Internet Explorer\\Main", "Default_Page_URL", true},
        {"", "Software\\Microsoft\\Internet Explorer\\Main", "Search Bar", true},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Internet Explorer\\Main", "Window Title", false},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Services\\RpcSs", "ImagePath", true},
        {"HKEY_LOCAL_MACHINE", "SYSTEM\\CurrentControlSet\\Control\\Lsa", "Notification Packages", true},
        {"HKEY_CLASSES_ROOT", "exefile\\shell\\open\\command", "", true},
        {"HKEY_CLASSES_ROOT", ".exe", "", true},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
         "Startup", true},
    };
    const ks::ProtectedPlaces places;
    for (const ValueCase& c : cases)
        EXPECT_EQ(c.expected, places.isProtectedValue(c.hive, c.subKey, c.value))
            << c.hive << " [" << c.subKey << "] : " << c.value;
}

}  // namespace
