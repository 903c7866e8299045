// The cookie-match rule: usable names, needles and matches.
#include "platform/cookie_match.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

namespace {

struct TextCase {
    const char* text;
    bool expected;
};

}  // namespace

TEST(CookieMatch, NamesNeedALetterOrDigit)
{
    const TextCase cases[] = {
        {"", false}, {".", false}, {" ", false}, {"@", false}, {"-_.@", false},
        {"evil", true}, {"@ad", true}, {"7", true}, {"\xe9", true},   // e acute, code page 1252
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, ks::cookieNameUsable(c.text)) << "[" << c.text << "]";
}

TEST(CookieMatch, TheNeedleIsTheFoldedNameWithoutBlanks)
{
    EXPECT_EQ("bigmoney", ks::cookieNeedle(" Big  Money "));
    EXPECT_EQ("a\tb", ks::cookieNeedle("A\tB"));
    EXPECT_EQ("", ks::cookieNeedle("   "));
    EXPECT_EQ("", ks::cookieNeedle(". "));   // no letter or digit: matches nothing
    EXPECT_EQ("x.", ks::cookieNeedle("X."));
}
