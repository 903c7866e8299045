// MarkupDoc: parsing, errors, cursor moves and text reads.
#include "definitions/markup_doc.h"

#include <gtest/gtest.h>

using kestrune::MarkupDoc;

TEST(MarkupParse, EmptyElementTagIsRootWithNoContent)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A/>"));
    EXPECT_TRUE(doc.nextElement("A"));
    EXPECT_FALSE(doc.nextChild(""));
    EXPECT_EQ("", doc.elementText());
}
