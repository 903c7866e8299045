// The item-text rules: refused PATH and NAME texts and usable cookie names.
#include "safety/protected_places.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

namespace {

struct TextCase {
    const char* text;
    bool expected;
};

TEST(ItemTexts, PathsThatAreNotPlainOrStepAsideAreRefused)
{
    const TextCase cases[] = {
        {"", false},   // no place: searched for on the drives
        {"C:", false},
        {"C:\\", false},
        {"C:\\Sandbox", false},
        {" C:\\Sandbox\\inner ", false},
        {"C:/Sandbox/inner", false},
        {"C:\\Sandbox\\x..y", false},
        {"C:\\Sandbox\\.hidden", false},
        {"C:\\Sandbox\\inner\\..", true},
        {"C:\\Sandbox\\inner\\..\\..\\windows", true},
        {"C:\\Sandbox\\.\\inner", true},
        {"C:\\Sandbox\\...", true},
        {"C:\\Sandbox\\ .. ", true},
        {"C:/Sandbox/../windows", true},
        {"\\\\?\\C:\\windows", true},
        {"\\\\.\\C:\\windows", true},
        {"\\\\server\\share", true},
        {"windows", true},
        {"C:windows", true},
        {"C:\\Sandbox:stream", true},
        {"C:\\Sand*", true},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, ks::itemPathRefused(c.text)) << "[" << c.text << "]";
}

TEST(ItemTexts, NamesThatAreBlankDotsOrStepAsideAreRefused)
{
    const TextCase cases[] = {
        {"evil.dll", false},
        {".hidden", false},
        {"sub\\evil.dll", false},
        {"", true},
        {"   ", true},
        {".", true},
        {"..", true},
        {"...", true},
        {". .", true},
        {"sub\\..\\..\\windows", true},
        {"sub/./x", true},
        {"evil.dll:stream", true},
        {"*", true},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.expected, ks::itemNameRefused(c.text)) << "[" << c.text << "]";
}

}  // namespace
