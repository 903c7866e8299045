// Host-build answers for the definitions seam. The host stands in for a
// double-byte code page (Shift-JIS lead bytes) so that the sanitizer and fuzz
// builds exercise the multibyte paths of the parser, with Windows-1252 as the
// legacy code page for the conversion to UTF-8; the folders are fixed.
#include "definitions/text_platform.h"

namespace kestrune {

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool processTextIsUtf8()
{
    return false;
}

bool legacyTextToUtf8(const std::string& text, std::string& utf8)
{
    // Windows-1252 from 0x80 to 0x9F; the bytes above are Latin-1, the five
    // unassigned ones map to the C1 controls as Windows maps them.
    static const unsigned short high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    utf8.clear();
    for (char byte : text) {
        const unsigned char c = static_cast<unsigned char>(byte);
        const unsigned code = c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return true;
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
