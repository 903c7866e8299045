// ProtectedPlaces::forThisMachine: asks the system where its own places are.
#include "safety/protected_places.h"

#include "platform/folder_listing.h"
#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/system_text.h"
#include "settings/data_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace kestrune {

namespace {

// The standard folders of a profile, in the layouts of Windows XP and of
// Windows Vista on; the missing ones cost nothing.
const char* const kProfileFolders[] = {
    "Desktop",
    "Documents",
    "Downloads",
    "Music",
    "Pictures",
    "Videos",
    "Favorites",
    "Links",
    "Contacts",
    "Saved Games",
    "Searches",
    "Templates",
    "Cookies",
    "Recent",
    "SendTo",
    "NetHood",
    "PrintHood",
    "Start Menu",
    "Start Menu\\Programs",
    "Start Menu\\Programs\\Startup",
    "My Documents",
    "My Documents\\My Music",
    "My Documents\\My Pictures",
    "My Documents\\My Videos",
    "Application Data",
    "Local Settings",
    "Local Settings\\Application Data",
    "Local Settings\\Temp",
    "Local Settings\\Temporary Internet Files",
    "Local Settings\\History",
    "AppData",
    "AppData\\Roaming",
    "AppData\\Local",
    "AppData\\LocalLow",
    "AppData\\Local\\Temp",
    "AppData\\Local\\Microsoft\\Windows\\INetCookies",
    "AppData\\Local\\Microsoft\\Windows\\INetCache",
    "AppData\\Local\\Microsoft\\Windows\\History",
    "AppData\\Roaming\\Microsoft\\Windows\\Cookies",
    "AppData\\Roaming\\Microsoft\\Windows\\Start Menu",
    "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
    "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
    "AppData\\Roaming\\Microsoft\\Windows\\Templates",
    "AppData\\Roaming\\Microsoft\\Windows\\SendTo",
    "AppData\\Roaming\\Microsoft\\Windows\\Recent",
};

// The folders that the shell names by number: the current user's and the
// all-users known folders, Program Files and the Windows folders.
const int kShellFolders[] = {
    CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC,
    CSIDL_MYVIDEO, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_STARTMENU, CSIDL_PROGRAMS,
    CSIDL_STARTUP, CSIDL_FAVORITES, CSIDL_TEMPLATES, CSIDL_COOKIES, CSIDL_INTERNET_CACHE,
    CSIDL_HISTORY, CSIDL_RECENT, CSIDL_SENDTO, CSIDL_NETHOOD, CSIDL_PRINTHOOD, CSIDL_ADMINTOOLS,
    CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS,
    CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP, CSIDL_COMMON_TEMPLATES,
    CSIDL_COMMON_FAVORITES, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES, CSIDL_COMMON_VIDEO,
    CSIDL_COMMON_ADMINTOOLS, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON,
    CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_WINDOWS, CSIDL_SYSTEM,
    CSIDL_SYSTEMX86, CSIDL_FONTS, CSIDL_RESOURCES,
};

// Environment variables naming protected folders.
const char* const kFolderVariables[] = {
    "SystemRoot",      "windir",          "ProgramFiles",      "ProgramFiles(x86)",
    "ProgramW6432",    "CommonProgramFiles", "CommonProgramFiles(x86)", "CommonProgramW6432",
    "ProgramData",     "ALLUSERSPROFILE", "PUBLIC",            "USERPROFILE",
    "APPDATA",         "LOCALAPPDATA",    "TEMP",              "TMP",
};

// Below the Windows folder. "Temp" is the system's temporary folder: the
// folder stays, what lies in it is removable.
const char* const kWindowsSubfolders[] = {
    "WinSxS", "Fonts", "inf", "assembly", "Microsoft.NET", "servicing", "Installer", "Boot",
    "Temp",
};

// Below each system folder.
const char* const kSystemSubfolders[] = {
    "wbem", "spool", "DriverStore", "catroot", "catroot2", "Tasks",
};

// Below each system folder's "config", which holds the machine's registry
// hives: trees of hive copies and transaction logs.
const char* const kHiveSubtrees[] = {"RegBack", "TxR"};

// Where a profile keeps its classes hive "UsrClass.dat" (Vista on, and XP).
const char* const kClassesHiveFolders[] = {
    "AppData\\Local\\Microsoft\\Windows",
    "Local Settings\\Application Data\\Microsoft\\Windows",
};

std::string shellFolder(int csidl)
{
    return shellFolderPath(csidl);
}

// FOLDERID_Downloads and FOLDERID_LocalAppDataLow, which have no CSIDL.
const GUID kDownloadsFolder = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
const GUID kLocalLowFolder = {0xa520a1a4, 0x1780, 0x4ff6, {0xbd, 0x18, 0x16, 0x73, 0x43, 0xc5, 0xaf, 0x16}};

// SHGetKnownFolderPath exists from Windows Vista on; empty before, and when
// the folder is unknown.
std::string knownFolder(const GUID& id)
{
    using Function = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
    static const Function function = reinterpret_cast<Function>(
        GetProcAddress(GetModuleHandleA("shell32.dll"), "SHGetKnownFolderPath"));
    if (function == nullptr)
        return std::string();
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(function(id, 0, nullptr, &wide)) && wide != nullptr) {
        const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (n > 1) {
            path.assign(static_cast<size_t>(n), '\0');
            WideCharToMultiByte(CP_ACP, 0, wide, -1, &path[0], n, nullptr, nullptr);
            path.resize(static_cast<size_t>(n - 1));
        }
    }
    CoTaskMemFree(wide);
    return path;
}

std::string environmentText(const char* name)
{
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0)
        return std::string();
    std::string buffer(n, '\0');
    n = GetEnvironmentVariableA(name, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return buffer;
}

std::string expanded(const std::string& text)
{
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (n == 0)
        return text;
    std::string buffer(n, '\0');
    n = ExpandEnvironmentStringsA(text.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n > buffer.size())
        return text;
    buffer.resize(n - 1);
    return buffer;
}

// A string value of an open key, environment variables expanded; empty when
// missing or not a string.
std::string stringValue(HKEY key, const char* name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return std::string();
    std::string buffer(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
        ERROR_SUCCESS)
        return std::string();
    buffer.resize(std::min<size_t>(size, buffer.size()));
    buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
    return type == REG_EXPAND_SZ ? expanded(buffer) : buffer;
}

// The folder that holds the profile `path` (trailing backslashes aside); empty
// when that would be a drive root or there is none: a drive is never taken
// for the profiles folder.
std::string profilesFolderOf(const std::string& path)
{
    const std::string profile = withoutTrailingBackslashes(path);
    const std::string::size_type slash = lastBackslash(profile);
    return slash == std::string::npos || slash < 3 ? std::string() : profile.substr(0, slash);
}

// `name` in `folder`; empty when the folder is unknown (the system did not
// tell it), so that no bare name becomes a place.
std::string placeIn(const std::string& folder, const std::string& name)
{
    return folder.empty() ? std::string() : joinPath(folder, name);
}

// Where the profiles lie, and each profile that the system lists, from
// "ProfileList": its ProfilesDirectory and every profile's ProfileImagePath.
void listedProfiles(std::vector<std::string>& profilesFolders, std::vector<std::string>& profiles)
{
    RegistryKey list;
    if (list.open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                  KEY_READ) != ERROR_SUCCESS)
        return;
    profilesFolders.push_back(stringValue(list.get(), "ProfilesDirectory"));
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(list.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        RegistryKey profile;
        if (profile.open(list.get(), name, KEY_READ) == ERROR_SUCCESS)
            profiles.push_back(stringValue(profile.get(), "ProfileImagePath"));
    }
}

// The direct subfolders of `folder`.
std::vector<std::string> subfoldersOf(const std::string& folder)
{
    std::vector<std::string> folders;
    FolderListing listing(placeIn(folder, "*"));
    while (listing.next()) {
        const WIN32_FIND_DATAA& entry = listing.entry();
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isDotEntry(entry.cFileName))
            folders.push_back(placeIn(folder, entry.cFileName));
    }
    return folders;
}

std::string systemWow64Folder()
{
    using Function = UINT(WINAPI*)(LPSTR, UINT);
    const Function function = reinterpret_cast<Function>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA"));
    if (function == nullptr)
        return std::string();
    char buffer[MAX_PATH + 1] = {};
    const UINT n = function(buffer, MAX_PATH);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(buffer, n);
}

std::string folderFrom(UINT(WINAPI* function)(LPSTR, UINT))
{
    char buffer[MAX_PATH + 1] = {};
    const UINT n = function(buffer, MAX_PATH);
    return n == 0 || n > MAX_PATH ? std::string() : std::string(buffer, n);
}

std::string runningProgram()
{
    return moduleFilePath();
}

}  // namespace

ProtectedPlaces ProtectedPlaces::forThisMachine(const OwnPlaces& own)
{
    using Kept = ProtectedPlaces::Kept;
    ProtectedPlaces places;
    auto addFolderIfNamed = [&](const std::string& path) {
        if (!path.empty())
            places.addFolder(path);
    };
    auto addProfile = [&](const std::string& profile) {
        if (profile.empty())
            return;
        places.addKeepingFolder(profile, Kept::UserHive);
        for (const char* name : kProfileFolders)
            places.addFolder(placeIn(profile, name));
        for (const char* name : kClassesHiveFolders)
            places.addKeepingFolder(placeIn(profile, name), Kept::ClassesHive);
    };

    // The Windows folder, the system folders and their vital subfolders.
    std::vector<std::string> windowsFolders{folderFrom(GetWindowsDirectoryA),
                                            folderFrom(GetSystemWindowsDirectoryA)};
    std::vector<std::string> systemFolders{folderFrom(GetSystemDirectoryA), systemWow64Folder()};
    for (const std::string& windows : windowsFolders) {
        if (windows.empty())
            continue;
        for (const char* name : {"System32", "SysWOW64", "System", "Sysnative"})
            systemFolders.push_back(placeIn(windows, name));
        for (const char* name : kWindowsSubfolders)
            places.addFolder(placeIn(windows, name));
        places.addKeepingFolder(windows, Kept::SystemFiles);
    }
    for (const std::string& system : systemFolders) {
        if (system.empty())
            continue;
        places.addKeepingFolder(system, Kept::SystemFiles);
        places.addKeepingFolder(placeIn(system, "drivers"), Kept::SystemFiles);
        for (const char* name : kSystemSubfolders)
            places.addFolder(placeIn(system, name));
        const std::string config = placeIn(system, "config");
        places.addKeepingFolder(config, Kept::Everything);
        for (const char* name : kHiveSubtrees)
            places.addTree(placeIn(config, name));
    }

    // Program Files, the all-users folders and the current user's folders.
    for (int csidl : kShellFolders)
        addFolderIfNamed(shellFolder(csidl));
    for (const char* variable : kFolderVariables)
        addFolderIfNamed(environmentText(variable));
    addFolderIfNamed(knownFolder(kDownloadsFolder));
    addFolderIfNamed(knownFolder(kLocalLowFolder));
    const std::string temp = temporaryFolderPath();
    if (!temp.empty())
        places.addFolder(temp);

    // The profiles folder, every profile in it or listed elsewhere, and the
    // standard folders of each.
    std::vector<std::string> profilesFolders;
    std::vector<std::string> profiles;
    listedProfiles(profilesFolders, profiles);
    profilesFolders.push_back(profilesFolderOf(shellFolder(CSIDL_PROFILE)));
    profilesFolders.push_back(profilesFolderOf(environmentText("USERPROFILE")));
    profiles.push_back(shellFolder(CSIDL_PROFILE));
    for (const std::string& folder : profilesFolders) {
        if (folder.empty())
            continue;
        places.addFolder(folder);
        for (const std::string& profile : subfoldersOf(folder))
            addProfile(profile);
    }
    for (const std::string& profile : profiles)
        addProfile(profile);

    // Kestrune's own places.
    if (!own.programFolder.empty())
        places.addKeepingFolder(own.programFolder, Kept::OwnFiles);
    for (const std::string& file :
         {own.programFile, runningProgram(), own.referenceFile, own.settingsReferenceFile}) {
        if (!file.empty())
            places.addFile(file);
    }
    if (!own.logFolder.empty())
        places.addKeepingFolder(own.logFolder, Kept::Logs);
    for (const std::string& tree : {own.backupFolder, own.temporaryBackupFolder}) {
        if (!tree.empty())
            places.addTree(tree);
    }
    for (const std::string& folder : own.dataFolders) {
        if (folder.empty())
            continue;
        places.addKeepingFolder(folder, Kept::OwnFiles);
        places.addTree(placeIn(folder, kBackupFolderName));
        places.addKeepingFolder(placeIn(folder, kLogFolderName), Kept::Logs);
    }
    if (!own.settingsKey.empty())
        places.setSettingsKey(own.settingsKey);
    return places;
}

}  // namespace kestrune
