// sameText and foldedText: whole-string caseless comparison in UTF-8, and the
// two-byte characters of a multibyte code page.
#include "platform/text_compare.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

using kestrune::foldedText;
using kestrune::sameText;

namespace {

struct Pair {
    const char* a;
    const char* b;
    bool same;
};

void expectPairs(const Pair* pairs, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const Pair& p = pairs[i];
        SCOPED_TRACE(std::string("\"") + p.a + "\" vs \"" + p.b + "\"");
        EXPECT_EQ(p.same, sameText(p.a, p.b));
        EXPECT_EQ(p.same, sameText(p.b, p.a));
        EXPECT_EQ(p.same, foldedText(p.a) == foldedText(p.b));
    }
}

}  // namespace

TEST(TextCompare, WholeStringsWithoutRegardToCase)
{
    const Pair pairs[] = {
        {"HKEY_LOCAL_MACHINE", "hkey_local_machine", true},
        {"C:\\Program Files\\Bad.EXE", "c:\\program files\\bad.exe", true},
        {"", "", true},
        {"HKEY_USERS", "HKEY_USERS ", false},    // a trailing blank is a character
        {"HKLM", "HKEY_LOCAL_MACHINE", false},   // no abbreviations
        {"abc", "ab", false},                    // never a prefix match
        {"co-op", "coop", false},                // no word-sort weighting
        {"a.b", "a_b", false},
    };
    expectPairs(pairs, sizeof pairs / sizeof pairs[0]);
}

TEST(TextCompare, EmbeddedZeroBytesAreCompared)
{
    EXPECT_FALSE(sameText(std::string("ab\0c", 4), std::string("ab\0d", 4)));
    EXPECT_TRUE(sameText(std::string("AB\0c", 4), std::string("ab\0C", 4)));
}

// The test programs carry the program's manifest, so their texts are UTF-8:
// characters beyond ASCII fold whole, and characters that share their first
// byte stay apart.
TEST(TextCompare, FoldsLettersOfUtf8)
{
    ASSERT_EQ(CP_UTF8, GetACP());
    const Pair pairs[] = {
        {"\xC3\x80\xC3\x89", "\xC3\xA0\xC3\xA9", true},                   // A-grave E-acute
        {"C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", "c:\\\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", true},
        {"\xD0\x9F\xD0\xB0", "\xD0\x92\xD0\xB0", false},                   // two Cyrillic letters
        {"\xC3\x80", "A", false},                                          // accents are kept
        {"\xC0X", "\xC0x", true},                                           // not UTF-8: ASCII folds
        {"\xC0", "\xC1", false},
    };
    expectPairs(pairs, sizeof pairs / sizeof pairs[0]);
}

// Run by the platform_dbcs test in code page 932, where 0x83 starts a
// two-byte character and the trail bytes 0x41 ('A') and 0x61 ('a') belong to
// two different characters.
TEST(TextCompareDbcs, TrailBytesAreNotFoldedAsLetters)
{
    const char* expected = std::getenv("KESTRUNE_EXPECT_ACP");
    if (GetACP() != 932) {
        ASSERT_EQ(nullptr, expected) << "the two-byte run did not get code page 932";
        GTEST_SKIP() << "needs code page 932, have " << GetACP();
    }
    const Pair pairs[] = {
        {"\x83\x41", "\x83\x61", false},             // two different characters
        {"\x83\x41.EXE", "\x83\x41.exe", true},      // the letters after them still fold
        {"ab\x83\x41", "AB\x83\x41", true},
        {"\x83\x41\x83", "\x83\x41\x83", true},      // a lead byte with no trail byte
    };
    expectPairs(pairs, sizeof pairs / sizeof pairs[0]);
    EXPECT_EQ(std::string("\x83\x41.exe"), foldedText("\x83\x41.EXE"));
}
