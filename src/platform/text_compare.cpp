// sameText and foldedText over a fold table built once from the ANSI code page;
// UTF-8 texts beyond ASCII are folded through UTF-16.
#include "platform/text_compare.h"

#include <windows.h>

#include <exception>

namespace kestrune {

namespace {

// For every byte: whether it starts a two-byte character, and its lower-case
// form as a single character. The code page does not change while the program
// runs, so the table is built once (thread-safe since C++11). In UTF-8 a byte
// beyond ASCII is part of a character of up to four bytes and no character
// by itself: the table folds ASCII alone and leaves the rest to utf8Folded.
struct FoldTable {
    bool utf8;
    bool lead[256];
    char lower[256];

    FoldTable() : utf8(GetACP() == CP_UTF8)
    {
        for (int i = 0; i < 256; ++i) {
            unsigned char c = static_cast<unsigned char>(i);
            lead[i] = !utf8 && IsDBCSLeadByte(c) != FALSE;
            char one = static_cast<char>(c);
            if (utf8 ? c >= 'A' && c <= 'Z' : !lead[i] && c != 0)
                CharLowerBuffA(&one, 1);
            lower[i] = one;
        }
    }
};

const FoldTable& foldTable()
{
    static const FoldTable table;
    return table;
}

bool beyondAscii(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// A UTF-8 text folded character by character through UTF-16. False when it
// is not valid UTF-8 (or memory runs out); it is then folded as ASCII.
bool utf8Folded(const std::string& text, std::string& folded)
{
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wide <= 0)
        return false;
    try {
        std::wstring w(static_cast<size_t>(wide), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &w[0], wide);
        CharLowerBuffW(&w[0], static_cast<DWORD>(wide));
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0)
            return false;
        folded.assign(static_cast<size_t>(bytes), '\0');
        return WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &folded[0], bytes, nullptr,
                                   nullptr) == bytes;
    } catch (const std::exception&) {   // bad_alloc
        return false;
    }
}

}  // namespace

bool sameText(const std::string& a, const std::string& b)
{
    const FoldTable& table = foldTable();
    if (table.utf8 && (beyondAscii(a) || beyondAscii(b)))
        return foldedText(a) == foldedText(b);
    if (a.size() != b.size())
        return false;
    const size_t n = a.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (table.lead[ca] && i + 1 < n) {
            // A two-byte character matches only itself.
            if (ca != cb || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (table.lower[ca] != table.lower[cb])
            return false;
    }
    return true;
}

std::string foldedText(const std::string& text)
{
    const FoldTable& table = foldTable();
    std::string folded;
    if (table.utf8 && beyondAscii(text) && utf8Folded(text, folded))
        return folded;
    folded = text;
    const size_t n = folded.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(folded[i]);
        if (table.lead[c] && i + 1 < n) {
            ++i;
            continue;
        }
        folded[i] = table.lower[c];
    }
    return folded;
}

}  // namespace kestrune
