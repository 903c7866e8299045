// The one seam between the definitions text layers and the machine: the
// lead-byte test of the ANSI code page and the folders that the reference
// file's folder tokens stand for. The Windows build answers from Win32; the
// host build (sanitizers, fuzzing) from text_platform_native.cpp.
#pragma once

#include <string>

namespace kestrune {

// True when c starts a two-byte character in the ANSI code page.
bool isLeadByte(unsigned char c);

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
