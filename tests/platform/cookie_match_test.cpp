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
        {"evil", true}, {"@ad", true}, {"7", true},
        {"\xC3\xA9", true}, {"\xD0\x96", true}, {"\xE2\x80\x94", false},   // e acute, Zhe, a dash
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

TEST(CookieMatch, OnlyTheSitePartOfTheFileNameIsMatched)
{
    struct Case {
        const char* file;
        const char* name;
        bool expected;
    } cases[] = {
        {"user@ads.example[1].txt", "Ads", true},
        {"user@ads.example[1].txt", "example", true},
        {"user@ads.example[1].txt", "user", false},
        {"user@ads.example[1].txt", "txt", false},
        {"user@ads.example[1].txt", "[1]", false},
        {"user@ads.example[1].txt", "@", false},
        {"ad@tracker@site[2].txt", "tracker", false},   // the site follows the last @
        {"ad@tracker@site[2].txt", "site", true},
        {"bigmoney[1].txt", "big money", true},          // no @: everything before [
        {"root@bigmoney.txt", "bigmoney", true},         // no [: up to the extension
        {"root@bigmoney.txt", "txt", false},
        {"site[1]@user.txt", "site", false},             // [ before @: no site at all
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ks::cookieFileMatches(c.file, ks::cookieNeedle(c.name)))
            << c.file << " / " << c.name;
}
