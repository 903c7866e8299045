// The platform layer's file-system calls for paths of any length. The engine
// keeps its 8-bit texts (the ANSI code page); each call here converts the
// path to UTF-16 and calls the W function, with the "\\?\" (or "\\?\UNC\")
// form for a path too long for the plain one, which the A functions refuse.
// Every wrapper answers as the A function of the same arguments does (the
// error is left in GetLastError).
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// `text` in the ANSI code page as UTF-16, and back; empty when it cannot be
// converted.
std::wstring toWide(const std::string& text);
std::string fromWide(const std::wstring& text);

// The form of the full path `path` that the W functions take at any length:
// unchanged when it is short enough for the plain form, already "\\?\" or
// "\\.\", or not a full drive or UNC path; otherwise "\\?\X:\..." or
// "\\?\UNC\server\share\..." with forward slashes turned to backslashes, runs
// of backslashes made one, and "." and ".." parts resolved (the system does
// none of that behind "\\?\"). Empty when a ".." climbs above the root.
std::wstring longPathForm(const std::wstring& path);
// toWide, then longPathForm.
std::wstring toWidePath(const std::string& path);

// GetFileAttributesA, GetFileAttributesExA (GetFileExInfoStandard),
// SetFileAttributesA.
DWORD attributesOf(const std::string& path);
bool attributeDataOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data);
bool setAttributesOf(const std::string& path, DWORD attributes);
// True when `path` names an existing folder (attributesOf says directory).
bool isFolder(const std::string& path);

// DeleteFileA, RemoveDirectoryA, CreateDirectoryA (default security).
bool deleteFileAt(const std::string& path);
bool removeFolderAt(const std::string& path);
bool createFolderAt(const std::string& path);

// MoveFileExA; an empty `to` is the null target (delete at the next start
// with MOVEFILE_DELAY_UNTIL_REBOOT).
bool moveFileAt(const std::string& from, const std::string& to, DWORD flags);
// CopyFileA.
bool copyFileAt(const std::string& from, const std::string& to, bool failIfExists);

// CreateFileA: the handle, INVALID_HANDLE_VALUE on failure.
HANDLE openFileAt(const std::string& path, DWORD access, DWORD share,
                  SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                  HANDLE templateFile = nullptr);

// FindFirstFileA / FindNextFileA: the entry's names come back in the ANSI
// code page (a name it cannot hold carries a '?', as the A function gives it).
HANDLE findFirstAt(const std::string& pattern, WIN32_FIND_DATAA* entry);
bool findNextAt(HANDLE find, WIN32_FIND_DATAA* entry);

}  // namespace kestrune
