// The settings key and the Run entry: one open, one action, one close per call.
#include "settings/settings_store.h"

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"
#include "settings/data_folder.h"

#include "product.h"
#include "resource.h"

#include <windows.h>

namespace kestrune {

const char kSettingsKeyPath[] = "SOFTWARE\\Kestrune";
const char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunEntryName[] = "Kestrune";

const char kSettingVersion[] = "pv";
const char kSettingDefinitionsName[] = "df";
const char kSettingRunAtStartup[] = "ras";
const char kSettingScanAtStartup[] = "sas";
const char kSettingStartupScanAllowed[] = "mtst";
const char kSettingAutoSaveLog[] = "asl";
const char kSettingConfirmRemoval[] = "abrs";
const char kSettingAutoUpdate[] = "acu";
const char kSettingProgramFolder[] = "path";
const char kSettingLogFolder[] = "lfp";
const char kSettingReferenceFile[] = "rfp";
const char kSettingReleaseSerial[] = "rsn";
const char kSettingBackupsKept[] = "bkeep";
const char kSettingBackupDays[] = "bdays";

const char kDefaultReferenceFileName[] = "kestrune_020404_v2.ks";

namespace {

const char kSettingsParentPath[] = "SOFTWARE";
const char kSettingsKeyName[] = "Kestrune";

// Opens a key below HKEY_CURRENT_USER with full access; invalid on failure.
RegistryKey openUserKey(const char* path)
{
    RegistryKey key;
    key.open(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS);
    return key;
}

// The program path split at its last backslash; false when there is none.
bool splitProgramPath(std::string& folder)
{
    const std::string path = programPath();
    if (lastBackslash(path) == std::string::npos)
        return false;
    folder = parentFolderOf(path);
    return true;
}

}  // namespace

std::string defaultReferenceFileName()
{
    char buffer[kSettingBufferSize];
    int n = LoadStringA(GetModuleHandleA(nullptr), IDS_DEFAULT_REFERENCE_FILE, buffer,
                        sizeof buffer);
    if (n > 0)
        return std::string(buffer, static_cast<size_t>(n));
    return kDefaultReferenceFileName;
}

bool settingsMissing()
{
    return !openUserKey(kSettingsKeyPath).valid();
}

bool createDefaultSettings()
{
    {
        RegistryKey software = openUserKey(kSettingsParentPath);
        if (!software.valid())
            return false;
        RegistryKey created;
        if (created.create(software.get(), kSettingsKeyName) != ERROR_SUCCESS)
            return false;
    }

    writeSetting(kSettingVersion, KESTRUNE_VERSION);
    writeSetting(kSettingDefinitionsName, "kestrune_082303_def.ks");
    writeSetting(kSettingRunAtStartup, "0");
    writeSetting(kSettingScanAtStartup, "0");
    writeSetting(kSettingStartupScanAllowed, "0");
    writeSetting(kSettingAutoSaveLog, "1");
    writeSetting(kSettingConfirmRemoval, "1");
    writeSetting(kSettingAutoUpdate, "1");

    std::string folder;
    if (splitProgramPath(folder)) {
        writeSetting(kSettingProgramFolder, folder);
        // The logs go where Kestrune may write: beside the program, or in the
        // per-user folder when the program folder is closed to this user.
        const std::string data = dataFolder();
        std::string logs = (data.empty() ? folder + "\\" : data) + kLogFolderName;
        createFolderAt(logs);   // an existing folder is fine
        writeSetting(kSettingLogFolder, logs);
        writeSetting(kSettingReferenceFile, folder + "\\" + defaultReferenceFileName());
    }
    return true;
}

bool writeStringValue(HKEY key, const std::string& name, const std::string& text)
{
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool readSetting(const std::string& name, std::string& text)
{
    if (name.empty())
        return false;
    RegistryKey key = openUserKey(kSettingsKeyPath);
    if (!key.valid())
        return false;
    // One byte more than a setting may take, so that a value that is too
    // long is told from one that fits exactly.
    char buffer[kSettingBufferSize + 1] = {};
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    // 259 characters and their zero fill the 260 bytes; 260 characters
    // without one do not fit.
    if (size > kSettingBufferSize || (size == kSettingBufferSize && buffer[size - 1] != '\0'))
        return false;
    buffer[size] = '\0';
    text = buffer;   // ends at the first zero byte, a counted terminator included
    return true;
}

bool writeSetting(const std::string& name, const std::string& text)
{
    if (name.empty())
        return false;
    RegistryKey key = openUserKey(kSettingsKeyPath);
    if (!key.valid())
        return false;
    return writeStringValue(key.get(), name, text);
}

bool settingEnabled(const std::string& name)
{
    std::string text;
    return readSetting(name, text) && text == "1";
}

std::string referenceFilePath()
{
    std::string text;
    return readSetting(kSettingReferenceFile, text) ? text : std::string();
}

std::string logFolder()
{
    std::string text;
    return readSetting(kSettingLogFolder, text) ? text : std::string();
}

std::string programPath()
{
    char buffer[kSettingBufferSize];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    // A result that fills the buffer is a cut path (and unterminated on XP).
    if (n == 0 || n >= sizeof buffer)
        return std::string();
    return std::string(buffer, n);
}

std::string programFolder()
{
    return folderPartOf(programPath());
}

std::string runEntryCommandLine()
{
    std::string path = programPath();
    if (path.empty())
        return std::string();
    return "\"" + path + "\" /s";
}

bool addRunEntry(const std::string& name, const std::string& commandLine)
{
    if (name.empty() || commandLine.empty())
        return false;
    RegistryKey key = openUserKey(kRunKeyPath);
    if (!key.valid())
        return false;
    return writeStringValue(key.get(), name, commandLine);
}

bool removeRunEntry(const std::string& name)
{
    if (name.empty())
        return false;
    RegistryKey key = openUserKey(kRunKeyPath);
    if (!key.valid())
        return false;
    return RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

bool runEntryAbsent(const std::string& name)
{
    if (name.empty())
        return false;
    RegistryKey key;
    const LONG opened = key.open(HKEY_CURRENT_USER, kRunKeyPath, KEY_QUERY_VALUE);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
}

}  // namespace kestrune
