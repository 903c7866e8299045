// Reference-file text layers and the schema walk, on texts built in the test.
#include "definitions/reference_text.h"
#include "definitions/text_encoding.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace kestrune;

namespace {

SystemFolders testFolders()
{
    SystemFolders f;
    f.programFiles = "C:\\PF";
    f.windows = "C:\\WINDOWS";
    f.windowsSystem = "C:\\WINDOWS\\System";
    f.system32 = "C:\\WINDOWS\\system32";
    return f;
}

std::string scrambled(std::string text)
{
    scrambleBytes(text);
    return text;
}

// Loads plain markup as a reference file would carry it.
bool load(const std::string& markup, ParasiteList& list)
{
    return loadReferenceBytes(scrambled(markup), list, testFolders());
}

std::string sw(const std::string& body, const std::string& name = "P")
{
    return "<KS><SW NAME=\"" + name + "\">" + body + "</SW></KS>";
}

}  // namespace

TEST(ReferenceLayers, ScrambleIsItsOwnInverse)
{
    std::string bytes = "<KS>\x01\xff";
    std::string once = bytes;
    scrambleBytes(once);
    EXPECT_EQ(static_cast<char>('<' ^ 0x97), once[0]);
    scrambleBytes(once);
    EXPECT_EQ(bytes, once);
}

TEST(ReferenceLayers, ZeroByteEndsTheText)
{
    std::string bytes = scrambled(std::string("<KS/>\0garbage<", 14));
    unscrambleText(bytes);
    EXPECT_EQ("<KS/>", bytes);

    ParasiteList list;
    EXPECT_TRUE(loadReferenceBytes(scrambled(std::string("<KS><SW NAME=\"A\"/></KS>\0<<<", 27)), list,
                                   testFolders()));
    EXPECT_EQ(1, list.count());
    // What stands before the zero must be well-formed on its own.
    EXPECT_FALSE(loadReferenceBytes(scrambled(std::string("<KS><SW NAME=\"A\"/>\0</KS>", 24)), list,
                                    testFolders()));
}

TEST(ReferenceLayers, LineEnds)
{
    EXPECT_EQ("\r\na\r\nb\r\n\r\n", normaliseLineEnds("\na\r\nb\n\r\n"));
    EXPECT_EQ("a\rb", normaliseLineEnds("a\rb"));   // a lone CR stays
}

TEST(ReferenceLayers, FolderTokens)
{
    const SystemFolders f = testFolders();
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers", replaceFolderTokens("Sys32Dir\\drivers", f));
    EXPECT_EQ("X\\C:\\WINDOWS\\Y\\C:\\WINDOWS", replaceFolderTokens("X\\WinDir\\Y\\WinDir", f));
    EXPECT_EQ("C:\\WINDOWS\\System\\a", replaceFolderTokens("SysDir\\a", f));
    EXPECT_EQ("C:\\PF\\Vendor", replaceFolderTokens("PFDir\\Vendor", f));
    EXPECT_EQ("windir\\sysdir\\pfdir", replaceFolderTokens("windir\\sysdir\\pfdir", f));
    // Replaced in table order: a folder text that itself holds a later token
    // is replaced again.
    SystemFolders odd = f;
    odd.programFiles = "D:\\WinDir";
    EXPECT_EQ("D:\\C:\\WINDOWS", replaceFolderTokens("PFDir", odd));
}

TEST(ReferenceLayers, DangerLevelNumbers)
{
    struct { const char* text; int32_t level; } cases[] = {
        {"2", 2}, {" 2 ", 2}, {"\r\n\t1\r\n", 1}, {"-1", -1}, {"+2", 2}, {"12abc", 12},
        {"word", 0}, {"", 0}, {"-", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"2147483648", INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.level, parseDangerLevel(c.text)) << "text: \"" << c.text << "\"";
}

// A process with UTF-8 texts reads valid UTF-8 as it is and anything else as
// Windows-1252 (the legacy code page of the test machines); a process on the
// legacy code page reads every text as it is.
TEST(ReferenceLayers, TextReadAsUtf8OrInTheLegacyCodePage)
{
    struct { const char* text; bool utf8Process; const char* read; } cases[] = {
        {"C:\\plain", true, "C:\\plain"},
        {"C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0", true,
         "C:\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"},          // Cyrillic
        {"\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", true,
         "\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},          // three and four bytes
        {"Caf\xE9", true, "Caf\xC3\xA9"},
        {"\x80\x9F\xFF", true, "\xE2\x82\xAC\xC5\xB8\xC3\xBF"},
        {"\xC3\xA9 \xE9", true, "\xC3\x83\xC2\xA9 \xC3\xA9"},          // one bad byte: all legacy
        {"\xC0\xAF", true, "\xC3\x80\xC2\xAF"},                        // overlong
        {"\xED\xA0\x80", true, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},      // a surrogate
        {"\xF4\x90\x80", true, "\xC3\xB4\xC2\x90\xE2\x82\xAC"},      // past U+10FFFF, cut short
        {"a\xD0", true, "a\xC3\x90"},                                  // cut short
        {"Caf\xE9", false, "Caf\xE9"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        ASSERT_TRUE(readAsProcessText(text, c.utf8Process)) << c.text;
        EXPECT_EQ(c.read, text) << "text: \"" << c.text << "\"";
        if (c.utf8Process) {
            EXPECT_EQ(std::string(c.text) == c.read, isValidUtf8(c.text)) << c.text;
        }
    }
}

TEST(ReferenceSchema, EveryItemKindInOrder)
{
    ParasiteList list;
    ASSERT_TRUE(load("<?xml version=\"1.0\"?>\n<KS>\n"
                     "<SW NAME=\"A &amp; B\">\n"
                     " <DIRECTORIES><DIR NAME=\"d1\" PATH=\"PFDir\"/><DIR NAME=\"d2\" PATH=\"\"/></DIRECTORIES>\n"
                     " <FILES><FILE NAME=\"f1\" PATH=\"Sys32Dir\\drivers\"/><FILE NAME=\"f2\"/></FILES>\n"
                     " <COOKIES><COOKIE NAME=\"c1\"/></COOKIES>\n"
                     " <REGISTRY><KEYS><REGKEY MAIN=\"hkey_current_user\" SUB=\"Software\" VALUE=\"K\"/></KEYS>\n"
                     "  <VALUES><REGVALUE MAIN=\"HKEY_LOCAL_MACHINE\" SUB=\"S\\Run\" VALUE=\"V\"/></VALUES></REGISTRY>\n"
                     " <DANGER_LEVEL>2</DANGER_LEVEL>\n"
                     " <DESCRIPTION>line one\nline two</DESCRIPTION>\n"
                     "</SW>\n<SW NAME=\"Second\"/>\n</KS>\n",
                     list));
    ASSERT_EQ(2, list.count());
    const Parasite& p = *list.at(0);
    EXPECT_EQ("A & B", p.name);
    EXPECT_EQ("Not scanned", p.status);
    EXPECT_EQ(2, p.dangerLevel);
    EXPECT_EQ("line one\r\nline two", p.description);
    ASSERT_EQ(2u, p.directories.size());
    EXPECT_EQ("d1", p.directories[0]->name);
    EXPECT_EQ("C:\\PF", p.directories[0]->path);
    EXPECT_EQ("", p.directories[1]->path);
    ASSERT_EQ(2u, p.files.size());
    EXPECT_EQ("C:\\WINDOWS\\system32\\drivers", p.files[0]->path);
    EXPECT_EQ("", p.files[1]->path);   // a missing attribute reads as empty
    ASSERT_EQ(2u, p.cookies.size());
    EXPECT_EQ("c1", p.cookies[0]->name);
    EXPECT_EQ("A & B", p.cookies[1]->name);   // the extra item
    ASSERT_EQ(1u, p.registryKeys.size());
    EXPECT_EQ("hkey_current_user", p.registryKeys[0]->main);
    EXPECT_EQ("Software", p.registryKeys[0]->sub);
    EXPECT_EQ("K", p.registryKeys[0]->value);
    ASSERT_EQ(1u, p.registryValues.size());
    EXPECT_EQ("S\\Run", p.registryValues[0]->sub);
    EXPECT_EQ(0, p.files[0]->found);
    EXPECT_EQ(0, p.files[0]->selected);

    const Parasite& q = *list.at(1);
    EXPECT_EQ("Second", q.name);
    EXPECT_EQ(-1, q.dangerLevel);
    EXPECT_TRUE(q.cookies.empty());   // no COOKIES, no extra item
}

TEST(ReferenceSchema, SectionsOutOfOrderOrRepeatedAreNotRead)
{
    ParasiteList list;
    ASSERT_TRUE(load(sw("<DESCRIPTION>early</DESCRIPTION><DIRECTORIES><DIR NAME=\"d\"/></DIRECTORIES>"
                        "<FILES><FILE NAME=\"one\"/></FILES><FILES><FILE NAME=\"two\"/></FILES>"
                        "<REGISTRY><VALUES><REGVALUE VALUE=\"v\"/></VALUES><KEYS><REGKEY VALUE=\"k\"/></KEYS></REGISTRY>"
                        "<UNKNOWN/><DANGER_LEVEL>word</DANGER_LEVEL>"),
                     list));
    const Parasite& p = *list.at(0);
    EXPECT_EQ(1u, p.directories.size());
    EXPECT_EQ("", p.description);   // stood before DIRECTORIES
    ASSERT_EQ(1u, p.files.size());
    EXPECT_EQ("one", p.files[0]->name);
    EXPECT_EQ(1u, p.registryKeys.size());
    EXPECT_EQ(0u, p.registryValues.size());   // VALUES stood before KEYS
    EXPECT_EQ(0, p.dangerLevel);
}

TEST(ReferenceSchema, EmptyCookiesAndMissingNames)
{
    ParasiteList list;
    ASSERT_TRUE(load("<KS><SW><COOKIES/></SW><SW NAME=\"N\"><COOKIES></COOKIES></SW></KS>", list));
    ASSERT_EQ(2, list.count());
    EXPECT_EQ("", list.at(0)->name);
    ASSERT_EQ(1u, list.at(0)->cookies.size());
    EXPECT_EQ("", list.at(0)->cookies[0]->name);
    ASSERT_EQ(1u, list.at(1)->cookies.size());
    EXPECT_EQ("N", list.at(1)->cookies[0]->name);
}

TEST(ReferenceSchema, DescriptionCdataIsRawAndBlanksStay)
{
    ParasiteList list;
    ASSERT_TRUE(load(sw("<DESCRIPTION><![CDATA[a &amp; <b>\nc]]></DESCRIPTION>"), list));
    EXPECT_EQ("a &amp; <b>\r\nc", list.at(0)->description);
    ASSERT_TRUE(load(sw("<DESCRIPTION>\n  padded  \n</DESCRIPTION>"), list));
    EXPECT_EQ("\r\n  padded  \r\n", list.at(0)->description);
}

TEST(ReferenceSchema, LfAndCrLfFilesLoadAlike)
{
    const std::string lf = "<KS>\n<SW NAME=\"P\">\n<DESCRIPTION>a\nb</DESCRIPTION>\n</SW>\n</KS>\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ParasiteList a, b;
    ASSERT_TRUE(load(lf, a));
    ASSERT_TRUE(load(crlf, b));
    EXPECT_EQ(a.at(0)->description, b.at(0)->description);
    EXPECT_EQ("a\r\nb", b.at(0)->description);
}

TEST(ReferenceSchema, RootOfAnotherNameEmptiesTheList)
{
    ParasiteList list;
    ASSERT_TRUE(load(sw("", "Kept"), list));
    ASSERT_EQ(1, list.count());
    EXPECT_TRUE(load("<OTHER><SW NAME=\"x\"/></OTHER>", list));
    EXPECT_EQ(0, list.count());
    EXPECT_TRUE(load("<KS></KS>", list));
    EXPECT_EQ(0, list.count());
}

TEST(ReferenceSchema, FailedLoadLeavesListAndScanResults)
{
    ParasiteList list;
    ASSERT_TRUE(load(sw("<FILES><FILE NAME=\"f\"/></FILES>", "Kept"), list));
    list.at(0)->status = "Found";
    list.at(0)->files[0]->found = 1;
    std::string error;
    EXPECT_FALSE(loadReferenceBytes(scrambled("<KS><SW NAME=\"x\"></KS>"), list, testFolders(), &error));
    EXPECT_EQ("End tag does not correspond to SW", error);
    EXPECT_FALSE(loadReferenceBytes(std::string(), list, testFolders()));
    ASSERT_EQ(1, list.count());
    EXPECT_EQ("Found", list.at(0)->status);
    EXPECT_EQ(1, list.at(0)->files[0]->found);
}
