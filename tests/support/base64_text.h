// Base64 text of some bytes, as a PEM body holds it: 64 characters a line,
// '=' padded. Header-only: the fuzz targets of the host build use it too.
#pragma once

#include <string>

namespace kestrune {
namespace test {

inline std::string base64Text(const std::string& bytes)
{
    static const char kTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        text += kTable[(v >> 18) & 63];
        text += kTable[(v >> 12) & 63];
        text += i + 1 < bytes.size() ? kTable[(v >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kTable[v & 63] : '=';
        if (text.size() % 65 == 64)
            text += '\n';
    }
    return text;
}

}  // namespace test
}  // namespace kestrune
