// Win32 answers for the definitions seam: IsDBCSLeadByte and the folder lookups.
#include "definitions/text_platform.h"

#include <windows.h>
#include <shlwapi.h>

namespace kestrune {

bool isLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

SystemFolders systemFolders()
{
    // Each folder is fetched into a buffer of MAX_PATH + 1 characters.
    SystemFolders folders;
    char buffer[MAX_PATH + 1];

    UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer) {
        folders.windows = buffer;
        char joined[MAX_PATH + 1];
        lstrcpynA(joined, buffer, sizeof joined);
        if (PathAppendA(joined, "System"))
            folders.windowsSystem = joined;
    }
    n = GetSystemDirectoryA(buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer)
        folders.system32 = buffer;
    DWORD m = ExpandEnvironmentStringsA("%ProgramFiles%", buffer, sizeof buffer);
    if (m > 0 && m <= sizeof buffer)
        folders.programFiles = buffer;
    return folders;
}

}  // namespace kestrune
