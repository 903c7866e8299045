// MarkupDoc: parsing and its errors, cursor moves, texts and attributes.
#include "definitions/markup_doc.h"

#include <gtest/gtest.h>

#include <string>

using kestrune::MarkupDoc;

namespace {

struct ParseCase {
    const char* name;
    const char* text;
    bool parses;
    const char* error;   // expected errorText after the parse ("" = none)
};

const ParseCase kParseCases[] = {
    {"EmptyElementTag", "<A/>", true, ""},
    {"StartAndEndTag", "<A></A>", true, ""},
    {"PrologueSkipped", "<?xml version=\"1.0\"?><!-- note --><!DOCTYPE A><A/>", true, ""},
    {"CdataBeforeRootSkipped", "<![CDATA[<B>]]><A/>", true, ""},
    {"TrailingJunkIgnored", "<A/><B></C>", true, ""},
    {"EndTagSpacedAndQuoted", "<A></ A \"x\" >", true, ""},
    {"NoLessThan", "just text", false, "Element tag not found"},
    {"AbruptEnd", "<", false, "Abrupt end within tag"},
    {"AbruptEndInName", "<ABC", false, "Abrupt end within tag"},
    {"QuotedTagName", "<\"A\">", false, "Tag starts with quote"},
    {"StartTagNotClosed", "<A x=\"1\" ", false, "End of tag not found"},
    {"CommentNotClosed", "<!-- open <A/>", false, "End of tag not found"},
    {"MissingEndTag", "<A>text", false, "Element tag not found"},
    {"WrongEndTag", "<A></B>", false, "End tag does not correspond to A"},
    {"InnerWrongEndTag", "<A><B></A></A>", false, "End tag does not correspond to B"},
    {"UnclosedChild", "<A><B></B><C></A>", false, "End tag does not correspond to C"},
    {"EndTagNotCompleted", "<A></A", false, "End tag not completed for element A"},
    {"EndTagCutAfterSlash", "<A></", false, "Abrupt end within tag"},
};

class MarkupParseTable : public testing::TestWithParam<ParseCase> {};

}  // namespace

TEST_P(MarkupParseTable, ResultAndErrorText)
{
    const ParseCase& c = GetParam();
    MarkupDoc doc;
    EXPECT_EQ(c.parses, doc.parse(c.text));
    EXPECT_EQ(c.error, doc.errorText());
    if (!c.parses) {
        // A failed parse leaves no elements behind.
        EXPECT_FALSE(doc.nextElement(""));
        EXPECT_FALSE(doc.nextChild(""));
        EXPECT_EQ("", doc.elementText());
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, MarkupParseTable, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(MarkupParse, ErrorTextSurvivesLaterParses)
{
    MarkupDoc doc;
    EXPECT_FALSE(doc.parse("no tags here"));
    EXPECT_EQ("Element tag not found", doc.errorText());
    EXPECT_TRUE(doc.parse("<A/>"));
    EXPECT_EQ("Element tag not found", doc.errorText());
    // An end tag first, or no text at all: false without touching the error.
    EXPECT_FALSE(doc.parse("</A>"));
    EXPECT_FALSE(doc.parse(""));
    EXPECT_EQ("Element tag not found", doc.errorText());
}

TEST(MarkupParse, DeepNestingFailsCleanly)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<A>";
    for (int i = 0; i < 100000; ++i)
        deep += "</A>";
    MarkupDoc doc;
    EXPECT_FALSE(doc.parse(deep));
    EXPECT_EQ("Elements nested too deeply", doc.errorText());

    std::string allowed;
    for (int i = 0; i < MarkupDoc::kMaxNesting; ++i)
        allowed += "<A>";
    for (int i = 0; i < MarkupDoc::kMaxNesting; ++i)
        allowed += "</A>";
    EXPECT_TRUE(doc.parse(allowed));
}

TEST(MarkupParse, ReparseReplacesEverything)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A><B/><C/></A>"));
    ASSERT_TRUE(doc.nextChild("C"));
    ASSERT_TRUE(doc.parse("<X><Y N=\"1\"/></X>"));
    EXPECT_FALSE(doc.nextElement("A"));
    EXPECT_TRUE(doc.nextElement("X"));
    EXPECT_TRUE(doc.nextChild("Y"));
    EXPECT_EQ("1", doc.childAttribute("N"));
}

TEST(MarkupParse, ManyElementsGrowTheIndex)
{
    std::string text = "<R>";
    for (int i = 0; i < 5000; ++i)
        text += "<I N=\"" + std::to_string(i) + "\"/>";
    text += "</R>";
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse(text));
    int seen = 0;
    while (doc.nextChild("I")) {
        EXPECT_EQ(std::to_string(seen), doc.childAttribute("N"));
        ++seen;
    }
    EXPECT_EQ(5000, seen);
}

TEST(MarkupCursor, OnlyTheFirstTopLevelElementIsTheRoot)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A/><B/>"));
    EXPECT_FALSE(doc.nextElement("B"));
    EXPECT_TRUE(doc.nextElement("A"));
    EXPECT_FALSE(doc.nextElement(""));
}

TEST(MarkupCursor, ChildSearchBeginsAfterTheCurrentChild)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A><C/><B/><C/></A>"));
    // nextChild with no main position makes the root the main position.
    EXPECT_TRUE(doc.nextChild("B"));
    EXPECT_TRUE(doc.nextChild("C"));    // the C after B
    EXPECT_FALSE(doc.nextChild("C"));   // none after that
    EXPECT_FALSE(doc.nextChild("B"));   // the earlier B is behind the cursor
}

TEST(MarkupCursor, FailedMovesLeaveTheCursor)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A><B N=\"b\"><C/></B></A>"));
    EXPECT_FALSE(doc.ascend());   // right after parse
    ASSERT_TRUE(doc.nextChild("B"));
    EXPECT_FALSE(doc.nextChild("Z"));
    EXPECT_EQ("b", doc.childAttribute("N"));   // still on B
    ASSERT_TRUE(doc.descend());
    EXPECT_TRUE(doc.ascend());
    EXPECT_FALSE(doc.ascend());               // more often than descend
    EXPECT_EQ("b", doc.childAttribute("N"));   // B is the child again
}

TEST(MarkupCursor, DescendIntoFirstChildWhenNoneChosen)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<A><B>text</B></A>"));
    ASSERT_TRUE(doc.nextElement("A"));
    ASSERT_TRUE(doc.descend());
    EXPECT_EQ("text", doc.elementText());
    EXPECT_FALSE(doc.descend());   // B has no children
}

TEST(MarkupCursor, EmptyDocumentObjectFailsEverything)
{
    MarkupDoc doc;
    EXPECT_FALSE(doc.nextElement(""));
    EXPECT_FALSE(doc.nextChild(""));
    EXPECT_FALSE(doc.descend());
    EXPECT_FALSE(doc.ascend());
    EXPECT_EQ("", doc.elementText());
    EXPECT_EQ("", doc.childAttribute("X"));
}

namespace {

// The text of the root element of `document`.
std::string rootText(const std::string& document)
{
    MarkupDoc doc;
    if (!doc.parse(document) || !doc.nextElement(""))
        return "<parse failed>";
    return doc.elementText();
}

}  // namespace

TEST(MarkupText, EntitiesAndCdata)
{
    EXPECT_EQ("<&>'\" &nbsp; &#65;", rootText("<A>&lt;&amp;&gt;&apos;&quot; &nbsp; &#65;</A>"));
    EXPECT_EQ("&amp;", rootText("<A>&amp;amp;</A>"));   // decoded once only
    EXPECT_EQ("a & b", rootText("<A>a & b</A>"));        // a lone ampersand stays
    EXPECT_EQ("&lt", rootText("<A>&lt</A>"));            // entity cut by the end of the content
    EXPECT_EQ("a<b&lt;", rootText("<A> <![CDATA[a<b&lt;]]> more</A>"));
    EXPECT_EQ("", rootText("<A><![CDATA[]]></A>"));
}

TEST(MarkupText, ContentIsNotTrimmedAndCommentsStay)
{
    EXPECT_EQ("\r\n  two words \r\n", rootText("<A>\r\n  two words \r\n</A>"));
    EXPECT_EQ("<!-- c -->text", rootText("<A><!-- c -->text</A>"));
    EXPECT_EQ("", rootText("<A></A>"));
    EXPECT_EQ("", rootText("<A/>"));
    EXPECT_EQ("", rootText("<A>before<B/>after</A>"));   // beside a child
}

namespace {

std::string childAttr(const std::string& document, const std::string& name)
{
    MarkupDoc doc;
    if (!doc.parse(document) || !doc.nextChild(""))
        return "<no child>";
    return doc.childAttribute(name);
}

}  // namespace

TEST(MarkupAttribute, OnlyDoubleQuotedValuesAfterEquals)
{
    const std::string doc = "<R><E B = \"1\" C=\"2\" B=\"3\" S='4' D=\"a&amp;b\"/></R>";
    EXPECT_EQ("1", childAttr(doc, "B"));   // first occurrence wins
    EXPECT_EQ("2", childAttr(doc, "C"));
    EXPECT_EQ("", childAttr(doc, "S"));    // single quotes mean nothing
    EXPECT_EQ("a&b", childAttr(doc, "D"));
    EXPECT_EQ("", childAttr(doc, "E"));    // the tag name is not an attribute
    EXPECT_EQ("", childAttr(doc, "b"));    // names are case-sensitive
    EXPECT_EQ("", childAttr(doc, ""));
}

TEST(MarkupAttribute, NameWithoutValueHidesLaterOccurrence)
{
    EXPECT_EQ("", childAttr("<R><E B C=\"2\" B=\"3\"/></R>", "B"));
    EXPECT_EQ("", childAttr("<R><E A=\"1\"/></R>", "Z"));
}

TEST(MarkupAttribute, GreaterThanInsideValueEndsTheStartTag)
{
    MarkupDoc doc;
    ASSERT_TRUE(doc.parse("<R><E V=\"a>b\">x</E></R>"));
    ASSERT_TRUE(doc.nextChild("E"));
    EXPECT_EQ("a>b", doc.childAttribute("V"));
    ASSERT_TRUE(doc.descend());
    EXPECT_EQ("b\">x", doc.elementText());
}
