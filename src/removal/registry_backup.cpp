// regedit exports of the selected registry items.
#include "removal/registry_backup.h"

#include "definitions/registry_items.h"
#include "platform/fs_redirection.h"
#include "platform/handles.h"
#include "platform/system_text.h"
#include "platform/hives.h"
#include "platform/shell.h"
#include "platform/wide_paths.h"
#include "removal/folder_utils.h"
#include "removal/item_refusal.h"
#include "removal/process_control.h"
#include "removal/registry_removal.h"

namespace kestrune {

namespace {

void exportInto(BackupSession& session, const std::string& fileName, const std::string& keyText,
                ItemKind kind, const std::string& details)
{
    const std::string name = session.claimName(fileName);
    const REGSAM view = engineRegistryView();
    const bool ok = exportRegistryKey(keyText, session.pathOf(name), session.report(), view);
    if (ok)
        session.addManifestRecord(kind, name,
                                  details + (view == KEY_WOW64_64KEY ? "[VIEW:64]\r\n" : ""));
    session.stepDone(BackupStep{BackupStepKind::RegistryExport, keyText, name, ok});
}

// Only a key the removal will act on is exported, and only one reached
// without a link: regedit opens the key by its name and would follow a link
// anywhere. A key item that is itself a link loses only the link, which no
// export could bring back; what it leads to is not touched.
bool exportable(HKEY root, const std::string& path, const std::string* value,
                const ProtectedPlaces& places)
{
    RegistryKey key;
    return reachItemKey(root, path, value, 0, places, key) == ItemKey::Present;
}

std::string windowsFolder()
{
    char buffer[MAX_PATH + 1] = {};
    const UINT length = GetSystemWindowsDirectoryA(buffer, sizeof buffer);
    return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
}

// Starts the Windows folder's regedit.exe with `parameters`, the file-system
// redirection off around CreateProcess only.
bool startNativeRegedit(const std::string& parameters, ScopedHandle& process)
{
    const std::string windows = windowsFolder();
    if (windows.empty())
        return false;
    std::string commandLine = "\"" + windows + "\\regedit.exe\" " + parameters;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    BOOL started = FALSE;
    {
        ScopedFsRedirectionOff redirectionOff;
        started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info);
    }
    if (!started)
        return false;
    CloseHandle(info.hThread);
    process.reset(info.hProcess);
    return true;
}

}  // namespace

std::string backupFolderPath()
{
    const std::string temporary = temporaryFolderPath();
    return temporary.empty() ? std::string() : temporary + "KestruneBackup";
}

bool prepareBackupFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (attributesOf(folder) != INVALID_FILE_ATTRIBUTES)
        return deleteFolderContents(folder);
    return createFolderPath(folder);
}

std::string registryExportParameters(const std::string& exportPath, const std::string& keyText)
{
    return "/e \"" + exportPath + "\" \"" + keyText + "\"";
}

bool exportRegistryKey(const std::string& keyText, const std::string& exportPath,
                       Responsiveness* responsiveness, REGSAM view)
{
    ScopedHandle process;
    const std::string parameters = registryExportParameters(exportPath, keyText);
    if (view == KEY_WOW64_64KEY) {
        if (!startNativeRegedit(parameters, process))
            return false;
    } else if (!launchProgram("regedit.exe", parameters, process)) {
        return false;
    }
    if (process.valid() && !waitForProcess(process.get(), kHelperProgramWait, responsiveness))
        return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributeDataOf(exportPath, &data))
        return false;
    return data.nFileSizeLow != 0 || data.nFileSizeHigh != 0;
}

void backupRegistryItems(const ParasiteList& parasites, BackupSession& session,
                         const ProtectedPlaces& places)
{
    for (int p = 0; p < parasites.count(); ++p) {
        const Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.registryKeys.size(); ++i) {
            const RegistryKeyItem& item = *parasite.registryKeys[i];
            if (item.selected != 1)
                continue;
            HKEY root = hiveFromName(item.main);
            if (root == nullptr || !hasKeyName(item) || keyItemRefused(item, places) ||
                !exportable(root, registryKeyPath(item), nullptr, places))
                continue;
            const std::string keyText = item.main + "\\" + item.sub + "\\" + item.value;
            exportInto(session, "rkBackup" + std::to_string(i + 1) + ".reg", keyText,
                       ItemKind::RegistryKey, "[KEY:" + keyText + "]\r\n");
        }
    }
    for (int p = 0; p < parasites.count(); ++p) {
        const Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.registryValues.size(); ++i) {
            const RegistryValueItem& item = *parasite.registryValues[i];
            if (item.selected != 1)
                continue;
            HKEY root = hiveFromName(item.main);
            if (root == nullptr || valueItemRefused(item, places) ||
                !exportable(root, item.sub, &item.value, places) ||
                registryValueGone(root, item.sub, item.value))
                continue;
            const std::string keyText = item.main + "\\" + item.sub;
            exportInto(session, "rvBackup" + std::to_string(i + 1) + ".reg", keyText,
                       ItemKind::RegistryValue,
                       "[KEY:" + keyText + "]\r\n[VALUE:" + item.value + "]\r\n");
        }
    }
}

}  // namespace kestrune
