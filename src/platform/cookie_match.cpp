// Cookie names, needles and matches.
#include "platform/cookie_match.h"

#include "platform/text_compare.h"

#include <windows.h>

namespace kestrune {

namespace {

// A UTF-8 name holds a letter or digit beyond ASCII; false for a name that is
// not valid UTF-8.
bool utf8HasLetter(const std::string& name)
{
    const int size = static_cast<int>(name.size());
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
    if (wide <= 0)
        return false;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), size, &w[0], wide);
    for (wchar_t c : w) {
        if (c >= 0x80 && IsCharAlphaNumericW(c))
            return true;
    }
    return false;
}

}  // namespace

bool cookieNameUsable(const std::string& name)
{
    if (GetACP() == CP_UTF8 && utf8HasLetter(name))
        return true;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            return true;
        if (c < 0x80)
            continue;
        if (IsDBCSLeadByte(c) && i + 1 < name.size())
            return true;   // a two-byte character: a letter of the code page
        if (IsCharAlphaNumericA(static_cast<CHAR>(c)))
            return true;
    }
    return false;
}

std::string cookieNeedle(const std::string& name)
{
    if (!cookieNameUsable(name))
        return std::string();
    std::string needle = foldedText(name);
    std::string result;
    result.reserve(needle.size());
    for (char c : needle) {
        if (c != ' ')
            result += c;
    }
    return result;
}

std::string cookieSite(const std::string& fileName)
{
    const std::string::size_type at = fileName.rfind('@');
    const std::string::size_type start = at == std::string::npos ? 0 : at + 1;
    std::string::size_type end = fileName.find('[');
    if (end == std::string::npos) {
        end = fileName.rfind('.');
        if (end == std::string::npos || end < start)
            end = fileName.size();
    }
    return end <= start ? std::string() : fileName.substr(start, end - start);
}

bool cookieFileMatches(const std::string& foldedFileName, const std::string& needle)
{
    return !needle.empty() && cookieSite(foldedFileName).find(needle) != std::string::npos;
}

}  // namespace kestrune
