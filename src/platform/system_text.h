// Texts the system hands out through a caller's buffer, fetched whole: the
// buffer grows until the text fits, so that a UTF-8 path longer than MAX_PATH
// bytes is neither cut nor refused.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// The path of a loaded module (GetModuleFileNameA); nullptr for the program.
std::string moduleFilePath(HMODULE module = nullptr);

// The temporary folder with its trailing backslash (GetTempPathA).
std::string temporaryFolderPath();

// The Windows folder (GetWindowsDirectoryA) and the system folder
// (GetSystemDirectoryA).
std::string windowsFolderPath();
std::string systemFolderPath();

// A shell folder (a CSIDL; `create` makes it when missing), fetched in UTF-16
// (the 8-bit call holds MAX_PATH bytes, fewer characters than a UTF-8 path
// may have) and given in the process's code page.
std::string shellFolderPath(int csidl, bool create = false);

// Every one of them is empty when the system cannot tell.

}  // namespace kestrune
