// The definitions checker: what it reports, with which lines.
#include "definitions/definitions_check.h"

#include <gtest/gtest.h>

#include <string>

using namespace kestrune;

namespace {

// All messages joined as "line:parasite:text" lines.
std::string report(const std::string& text)
{
    std::string out;
    for (const CheckMessage& m : checkDefinitions(text))
        out += std::to_string(m.line) + ":" + m.parasite + ":" + m.text + "\n";
    return out;
}

}  // namespace

TEST(DefinitionsCheck, CleanFileHasNothingToSay)
{
    EXPECT_EQ("", report("<KS>\r\n<SW NAME=\"A\"><FILES><FILE NAME=\"f\" PATH=\"WinDir\"/></FILES>"
                         "<REGISTRY><KEYS><REGKEY MAIN=\"hkey_users\" SUB=\"s\" VALUE=\"v\"/></KEYS></REGISTRY>"
                         "<DANGER_LEVEL> 2 </DANGER_LEVEL><DESCRIPTION>d</DESCRIPTION></SW>\r\n</KS>"));
}

TEST(DefinitionsCheck, ParseErrorIsAnError)
{
    std::vector<CheckMessage> m = checkDefinitions("<KS><SW></KS>");
    ASSERT_EQ(1u, m.size());
    EXPECT_TRUE(m[0].error);
    EXPECT_EQ("does not parse: End tag does not correspond to SW", m[0].text);
    EXPECT_EQ("does not parse: the text is not well-formed markup\n", report("</KS>").substr(3));
}

TEST(DefinitionsCheck, WarnsAboutWhatTheLoaderPassesOver)
{
    const std::string text =
        "<KS>\r\n"
        "<SW NAME=\"P\">\r\n"
        "<DESCRIPTION>x</DESCRIPTION>\r\n"                       // line 3: out of order
        "<FILES><FILE NAME=\"\"/></FILES>\r\n"                   // line 4: empty name
        "<FILES/>\r\n"                                            // line 5: second
        "<REGISTRY><KEYS><REGKEY MAIN=\"HKLM\" VALUE=\"\"/></KEYS></REGISTRY>\r\n"   // line 6
        "<DANGER_LEVEL>7</DANGER_LEVEL><WHAT/>\r\n"               // line 7
        "</SW>\r\n"
        "<SW><DANGER_LEVEL>high</DANGER_LEVEL></SW>\r\n"          // line 9
        "<EXTRA/>\r\n"                                            // line 10
        "</KS>";
    EXPECT_EQ("3:P:DESCRIPTION section stands out of order and is not read\n"
              "5:P:second FILES section is not read\n"
              "7:P:unknown element WHAT is passed over\n"
              "4:P:FILE item has an empty NAME\n"
              "6:P:REGKEY MAIN \"HKLM\" is not a hive name\n"
              "6:P:REGKEY item has an empty VALUE (it would name its parent key)\n"
              "7:P:DANGER_LEVEL 7 is outside 0 to 2\n"
              "9::SW has an empty NAME\n"
              "9::DANGER_LEVEL \"high\" is not a number\n"
              "10::unknown element EXTRA is passed over\n",
              report(text));
}

TEST(DefinitionsCheck, RootOfAnotherName)
{
    EXPECT_EQ("1::root element is DEFS, not KS: the file loads as an empty list\n", report("<DEFS/>"));
}

TEST(DefinitionsCheck, HandsEveryReadItemToTheJudgeAtItsLine)
{
    const std::string text =
        "<KS>\r\n"
        "<SW NAME=\"P\">\r\n"
        "<DIRECTORIES><DIR NAME=\"d\" PATH=\"C:\\x\"/></DIRECTORIES>\r\n"   // line 3
        "<FILES><FILE NAME=\"f\"/></FILES>\r\n"                              // line 4
        "<FILES><FILE NAME=\"unread\"/></FILES>\r\n"                         // line 5: not read
        "<COOKIES><COOKIE NAME=\"c\"/></COOKIES>\r\n"                        // line 6
        "<REGISTRY><KEYS><REGKEY MAIN=\"HKEY_USERS\" SUB=\"s\" VALUE=\"k\"/></KEYS>\r\n"   // line 7
        "<VALUES><REGVALUE MAIN=\"HKEY_USERS\" SUB=\"s\" VALUE=\"v\"/></VALUES></REGISTRY>\r\n"   // line 8
        "</SW>\r\n"
        "</KS>";
    const ItemJudge judge = [](const CheckedItem& item) {
        return std::vector<std::string>{std::string(kindWord(item.kind, KindWord::Tag)) + " " +
                                        item.name + "|" + item.path + "|" + item.main + "|" +
                                        item.sub + "|" + item.value};
    };
    std::string out;
    for (const CheckMessage& m : checkDefinitions(text, judge))
        out += std::to_string(m.line) + ":" + m.parasite + ":" + m.text + "\n";
    EXPECT_EQ("5:P:second FILES section is not read\n"
              "3:P:DIR d|C:\\x|||\n"
              "4:P:FILE f||||\n"
              "6:P:COOKIE c||||\n"
              "6:P:COOKIE P||||\n"   // the cookie the section adds, named after the SW
              "7:P:REGKEY ||HKEY_USERS|s|k\n"
              "8:P:REGVALUE ||HKEY_USERS|s|v\n",
              out);
}
