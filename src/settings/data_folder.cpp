// The data folder: a write test in the program folder, the per-user folder.
#include "settings/data_folder.h"

#include "platform/handles.h"
#include "platform/system_text.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "settings/settings_store.h"

#include <windows.h>
#include <shlobj.h>

namespace kestrune {

const char kBackupFolderName[] = "KestruneBackup";
const char kLogFolderName[] = "logs";

namespace {

const char kPerUserFolderName[] = "Kestrune";

}  // namespace

// GetTempFileNameA is no test: Wine's hands back a name even when the file
// could not be created. So the file is made here, and goes when closed.
bool folderWritable(const std::string& folder)
{
    if (folder.empty())
        return false;
    const std::string base = (folder.back() == '\\' ? folder : folder + "\\") +
                             "kestrune-write-test-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int n = 0; n < 100; ++n) {
        const std::string probe = base + std::to_string(n) + ".tmp";
        ScopedHandle file(openFileAt(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
        if (file.valid())
            return true;
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

std::string perUserDataFolder()
{
    std::string folder = shellFolderPath(CSIDL_LOCAL_APPDATA);
    if (folder.empty())
        return std::string();
    if (folder.back() != '\\')
        folder += '\\';
    return folder + kPerUserFolderName + "\\";
}

std::string chooseDataFolder(const std::string& programFolder, const std::string& perUserFolder)
{
    if (folderWritable(programFolder))
        return programFolder;
    if (perUserFolder.empty())
        return std::string();
    // The local application data folder itself may not be there yet for a
    // new profile: asking for it with CSIDL_FLAG_CREATE makes it.
    shellFolderPath(CSIDL_LOCAL_APPDATA, true);
    createFolderAt(perUserFolder);   // an existing folder is fine
    return perUserFolder;
}

std::string dataFolder()
{
    static const std::string folder = chooseDataFolder(programFolder(), perUserDataFolder());
    return folder;
}

std::vector<std::string> dataFolders()
{
    std::vector<std::string> folders;
    for (const std::string& folder : {dataFolder(), programFolder(), perUserDataFolder()}) {
        bool known = folder.empty();
        for (const std::string& listed : folders)
            known = known || sameText(listed, folder);
        if (!known)
            folders.push_back(folder);
    }
    return folders;
}

}  // namespace kestrune
