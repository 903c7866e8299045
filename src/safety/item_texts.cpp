// The item-text rules: refused PATH and NAME texts.
#include "platform/text_trim.h"
#include "safety/place_paths.h"
#include "safety/protected_places.h"

#include <windows.h>

namespace kestrune {

namespace {

// True when `text` holds a part, between backslashes or slashes, made of dots
// and blanks only ("." and ".." among them, and "..." or ". ." that the
// system shortens to one of those). Empty parts (doubled backslashes) do not
// count. Two-byte characters are passed whole.
bool holdsDotPart(const std::string& text)
{
    bool dotsOnly = true;
    bool dots = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\\';
        if (c == '\\' || c == '/') {
            if (dots && dotsOnly)
                return true;
            dotsOnly = true;
            dots = false;
            continue;
        }
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < text.size()) {
            dotsOnly = false;
            ++i;
            continue;
        }
        if (c == '.')
            dots = true;
        else if (c != ' ')
            dotsOnly = false;
    }
    return false;
}

}  // namespace

bool itemPathRefused(const std::string& path)
{
    const std::string text = trimmed(path, kLineBlanks);
    if (text.empty())
        return false;   // no place: the item is searched for on the drives
    // "C:" alone is the drive; the item's NAME follows after a backslash.
    const std::string whole = text.size() == 2 ? text + "\\" : text;
    return !plainPathText(whole) || holdsDotPart(whole.substr(3));
}

bool itemNameRefused(const std::string& name)
{
    const std::string text = trimmed(name, kLineBlanks);
    if (text.empty() || holdsDotPart(text))
        return true;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|')
            return true;
    }
    return false;
}

}  // namespace kestrune
