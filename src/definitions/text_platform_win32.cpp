// Win32 answers for the definitions seam: IsDBCSLeadByte, the code pages and
// the folder lookups.
#include "definitions/text_platform.h"

#include "platform/system_text.h"

#include <windows.h>

#include <stdexcept>

namespace kestrune {

bool isLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

bool processTextIsUtf8()
{
    return GetACP() == CP_UTF8;
}

namespace {

// The system locale's own ANSI code page: GetACP() answers 65001 for a
// process that asks for UTF-8. Windows-1252 when the locale has none
// (Unicode-only locales).
UINT legacyCodePage()
{
    DWORD page = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&page), sizeof page / sizeof(WCHAR)) == 0 ||
        page == 0 || page == CP_UTF8)
        return 1252;
    return page;
}

}  // namespace

bool legacyTextToUtf8(const std::string& text, std::string& utf8)
{
    utf8.clear();
    if (text.empty())
        return true;
    if (text.size() > 0x3FFFFFFFu)
        return false;
    try {
        const UINT page = legacyCodePage();
        const int size = static_cast<int>(text.size());
        const int wide = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
        if (wide <= 0)
            return false;
        std::wstring w(static_cast<size_t>(wide), L'\0');
        if (MultiByteToWideChar(page, 0, text.data(), size, &w[0], wide) != wide)
            return false;
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
            return false;
        utf8.resize(static_cast<size_t>(bytes));
        return WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &utf8[0], bytes, nullptr, nullptr) == bytes;
    } catch (const std::exception&) {   // bad_alloc, length_error
        return false;
    }
}

SystemFolders systemFolders()
{
    SystemFolders folders;
    folders.windows = windowsFolderPath();
    if (!folders.windows.empty())
        folders.windowsSystem =
            folders.windows + (folders.windows.back() == '\\' ? "System" : "\\System");
    folders.system32 = systemFolderPath();
    const DWORD size = ExpandEnvironmentStringsA("%ProgramFiles%", nullptr, 0);
    if (size > 1) {
        std::string buffer(size, '\0');
        const DWORD n = ExpandEnvironmentStringsA("%ProgramFiles%", &buffer[0], size);
        if (n > 0 && n <= size)
            folders.programFiles = buffer.c_str();
    }
    return folders;
}

}  // namespace kestrune
