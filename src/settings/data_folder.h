// Where Kestrune writes its own files: the default log folder, the backup
// archives and downloaded reference files. Beside the program when its folder
// can be written; otherwise (an installed copy run without administrator
// rights) in the user's "%LOCALAPPDATA%\Kestrune". Settings that name a
// folder already ("lfp", "rfp") are kept as they are.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

// Names of Kestrune's folders inside a data folder.
extern const char kBackupFolderName[];   // "KestruneBackup", the backup archives
extern const char kLogFolderName[];      // "logs", the first run's log folder

// True when a file can be created in `folder` (one is made and deleted again).
// False for an empty text.
bool folderWritable(const std::string& folder);

// "%LOCALAPPDATA%\Kestrune\" (CSIDL_LOCAL_APPDATA) with its trailing
// backslash; nothing is created. Empty when the system names no such folder.
std::string perUserDataFolder();

// The data folder for a program in `programFolder`: that folder when it can
// be written, otherwise `perUserFolder`, which is then created (one level)
// when missing. Both texts end with a backslash; the result keeps it. Empty
// when the program folder cannot be written and there is no per-user folder.
std::string chooseDataFolder(const std::string& programFolder, const std::string& perUserFolder);

// chooseDataFolder for the running program and the current user, decided
// (with one write test) at the first call and kept for the process's life.
// Ends with a backslash.
std::string dataFolder();

// Every place Kestrune's own files may lie in: dataFolder() first, then the
// program folder or the per-user folder, whichever is not in use (files
// written while the other place was chosen stay there). Empty texts and
// repeats are left out.
std::vector<std::string> dataFolders();

}  // namespace kestrune
