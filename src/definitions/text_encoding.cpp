// UTF-8 validity and the choice between UTF-8 and the legacy code page.
#include "definitions/text_encoding.h"

#include "definitions/text_platform.h"

namespace kestrune {

bool isValidUtf8(const std::string& text)
{
    const std::string::size_type n = text.size();
    std::string::size_type i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The first trail byte's range excludes the overlong forms (E0, F0),
        // the surrogates (ED) and what lies past U+10FFFF (F4).
        std::string::size_type length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length)
            return false;
        const unsigned char second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::string::size_type k = 2; k < length; ++k) {
            const unsigned char trail = static_cast<unsigned char>(text[i + k]);
            if (trail < 0x80 || trail > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

bool readAsProcessText(std::string& text, bool processIsUtf8)
{
    if (!processIsUtf8 || isValidUtf8(text))
        return true;
    std::string converted;
    if (!legacyTextToUtf8(text, converted))
        return false;
    text.swap(converted);
    return true;
}

}  // namespace kestrune
