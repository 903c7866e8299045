// sameText and foldedText over a fold table built once from the ANSI code page.
#include "platform/text_compare.h"

#include <windows.h>

namespace kestrune {

namespace {

// For every byte: whether it starts a two-byte character, and its lower-case
// form as a single character. The code page does not change while the program
// runs, so the table is built once (thread-safe since C++11).
struct FoldTable {
    bool lead[256];
    char lower[256];

    FoldTable()
    {
        for (int i = 0; i < 256; ++i) {
            unsigned char c = static_cast<unsigned char>(i);
            lead[i] = IsDBCSLeadByte(c) != FALSE;
            char one = static_cast<char>(c);
            if (!lead[i] && c != 0)
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

}  // namespace

bool sameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    const FoldTable& table = foldTable();
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
    std::string folded(text);
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
