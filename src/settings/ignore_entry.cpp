// Writing and reading an ignore-list entry's stored text.
#include "settings/ignore_entry.h"

#include <cstdio>
#include <vector>

namespace kestrune {

namespace {

// '%', and every control character (tabs and line breaks among them), as %XX.
std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c == '%' || c < 0x20 || c == 0x7f) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The inverse of escaped(); a '%' not followed by two hex digits stays.
std::string unescaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string ignoreEntryText(const IgnoreEntry& entry)
{
    return std::string(typeWord(entry.kind)) + "\t" + escaped(entry.location) + "\t" +
           escaped(entry.parasite) + "\t" + escaped(entry.added);
}

bool readIgnoreEntryText(const std::string& text, std::string& kindWord, IgnoreEntry& entry)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    if (fields.size() != 4)
        return false;
    kindWord = fields[0];
    entry.location = unescaped(fields[1]);
    entry.parasite = unescaped(fields[2]);
    entry.added = unescaped(fields[3]);
    return true;
}

}  // namespace kestrune
