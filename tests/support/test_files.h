// Files, folders and registry keys made by tests inside the throw-away Wine
// prefix. Each helper fails the running test when it cannot do its work.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {
namespace testing_support {

// Creates the folder and its missing parents.
void makeFolder(const std::string& path);
// Creates (or empties) the file, and its missing parent folders.
void makeFile(const std::string& path, const std::string& content = std::string());
// A new empty folder C:\kt\<name>\ ... unique per call in this process, made
// from the running test's name: "C:\kt\Suite.Test-1".
std::string freshFolder();
// Creates, with the wide calls, a chain of folders below `base` (an existing
// folder) that reaches far past MAX_PATH, with the file "deep.dll" at its
// end. Returns the first folder of the chain that FindFirstFileA cannot list
// (the path too long for it).
std::string makeTooDeepFolder(const std::string& base);
// Creates `folder`\`wideName` with the wide calls: a file, or a folder when
// `isFolder`. A name outside the ANSI code page reads back with '?' in it.
void makeWideEntry(const std::string& folder, const std::wstring& wideName, bool isFolder);
// Creates HKEY_CURRENT_USER key `path` (and its parents).
void makeUserKey(const std::string& path);
// Sets string value `name` of HKEY_CURRENT_USER key `path`, creating the key.
void setUserValue(const std::string& path, const std::string& name, const std::string& data);
// Deletes HKEY_CURRENT_USER key `path` with all its subkeys; no failure when
// it is missing.
void deleteUserKeyTree(const std::string& path);

}  // namespace testing_support
}  // namespace kestrune
