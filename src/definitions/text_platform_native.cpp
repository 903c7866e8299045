// Host-build answers for the definitions seam. The host stands in for a
// double-byte code page (Shift-JIS lead bytes) so that the sanitizer and fuzz
// builds exercise the multibyte paths of the parser; the folders are fixed.
#include "definitions/text_platform.h"

namespace kestrune {

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

SystemFolders systemFolders()
{
    SystemFolders folders;
    folders.programFiles = "C:\\Program Files";
    folders.windows = "C:\\windows";
    folders.windowsSystem = "C:\\windows\\System";
    folders.system32 = "C:\\windows\\system32";
    return folders;
}

}  // namespace kestrune
