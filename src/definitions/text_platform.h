// The one seam between the definitions text layers and the machine: the
// lead-byte test of the ANSI code page, whether the process's texts are UTF-8,
// the legacy code page's conversion and the folders that the reference
// file's folder tokens stand for. The Windows build answers from Win32; the
// host build (sanitizers, fuzzing) from text_platform_native.cpp.
#pragma once

#include <string>

namespace kestrune {

// True when c starts a two-byte character in the ANSI code page.
bool isLeadByte(unsigned char c);

// True when the process's 8-bit texts are UTF-8 (its manifest asks for the
// UTF-8 code page, which Windows 10 1903 and later grant).
bool processTextIsUtf8();

// Converts text in the system's legacy ANSI code page (the system locale's
// default, which the process's own code page no longer is) to UTF-8. False
// when it cannot (memory); `utf8` is then unspecified.
bool legacyTextToUtf8(const std::string& text, std::string& utf8);

// The folders behind "PFDir", "WinDir", "SysDir" and "Sys32Dir". A folder
// that cannot be fetched is the empty text.
struct SystemFolders {
    std::string programFiles;
    std::string windows;
    std::string windowsSystem;   // the Windows folder joined with "System"
    std::string system32;
};

SystemFolders systemFolders();

}  // namespace kestrune
