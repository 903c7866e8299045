// Multibyte stepping, on the host build's double-byte code page (Shift-JIS
// lead bytes): a trail byte is never taken for a markup character.
#include "definitions/markup_doc.h"

#include <gtest/gtest.h>

using kestrune::MarkupDoc;

// 0x95 0x5C is one character whose trail byte is the backslash delimiter.
TEST(Multibyte, TrailByteIsNotADelimiterInNames)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<R><A\x95\x5C" "B N=\"1\"/></R>"));
    EXPECT_TRUE(doc.nextChild("A\x95\x5C" "B"));
    EXPECT_EQ("1", doc.childAttribute("N"));
}

TEST(Multibyte, TrailByteIsNotADelimiterInAttributeNames)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<R><E K\x95\x5C=\"v\"/></R>"));
    ASSERT_TRUE(doc.nextChild("E"));
    EXPECT_EQ("v", doc.childAttribute("K\x95\x5C"));
    EXPECT_EQ("", doc.childAttribute("K\x95"));
}

TEST(Multibyte, DecodedTextKeepsCharactersWhole)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A>\x95\x5C&amp;\x82\xA0</A>"));
    ASSERT_TRUE(doc.nextElement("A"));
    EXPECT_EQ("\x95\x5C&\x82\xA0", doc.elementText());
}

TEST(Multibyte, LeadByteAtTheEndStandsAlone)
{
    MarkupDoc doc;
    EXPECT_FALSE(doc.parse("<A>\x95"));
    EXPECT_FALSE(doc.parse("<A\x95"));
    EXPECT_EQ("Abrupt end within tag", doc.errorText());
}
