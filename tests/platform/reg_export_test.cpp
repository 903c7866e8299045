// The regedit export reader: the lines as regedit splits and reads them, and
// every value type with its exact bytes. Built for Wine and for the host.
#include "platform/reg_export.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

namespace {

// A UTF-16LE file with its byte-order mark.
std::string utf16File(const std::u16string& text)
{
    std::string bytes = "\xff\xfe";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string narrow(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// "key: name, name | key: ..." of what was read, or "fault".
std::string shape(const std::string& bytes)
{
    ks::RegExport parsed;
    std::string fault;
    if (!ks::readRegExport(bytes, nullptr, parsed, fault)) {
        EXPECT_FALSE(fault.empty());
        EXPECT_TRUE(parsed.keys.empty());
        return "fault";
    }
    std::string out;
    for (const ks::RegExportKey& key : parsed.keys) {
        out += (out.empty() ? "" : " | ") + narrow(key.path) + ":";
        for (const ks::RegExportValue& value : key.values)
            out += " " + (value.name.empty() ? std::string("@") : narrow(value.name));
    }
    return out;
}

const char16_t kHeader[] = u"Windows Registry Editor Version 5.00\r\n\r\n";

}  // namespace

// Each line rule of regedit, and what it refuses: a crafted export must be
// read as regedit would read it, or refused.
TEST(RegExport, LinesAreSplitAndReadAsRegeditReadsThem)
{
    struct Row {
        const char16_t* body;
        const char* shape;
    } rows[] = {
        {u"[K]\r\n\"v\"=\"x\"\r\n\r\n[K\\S]\n@=\"d\"\n", "K: v | K\\S: @"},
        // A lone CR ends a line too.
        {u"[K]\r\"v\"=\"x\"\r[HKLM\\W]\r\"Shell\"=\"e\"", "K: v | HKLM\\W: Shell"},
        // Leading blanks are skipped, text after the last "]" is ignored.
        {u"[K]\r\n \t[HKLM\\Run]\r\n  \"e\"=\"x\"", "K: | HKLM\\Run: e"},
        {u"[K]\r\n[HKLM\\Run] ; x\r\n\"e\"=\"x\"", "K: | HKLM\\Run: e"},
        {u"[K\\a]b]junk\r\n", "K\\a]b:"},
        // Comments and blank lines; blanks around "=".
        {u"; note\r\n[K]\r\n\t\r\n \"v\" = dword:1 ; c\r\n", "K: v"},
        // Hex data go on over lines ending in a backslash; nothing else does.
        {u"[K]\r\n\"b\"=hex:00,\\\r\n  [HKLM\\Run]\r\n", "fault"},
        {u"[K]\r\n\"s\"=\"a\\\\\"\\\r\n[HKLM\\Run]\r\n", "fault"},
        {u"[K]\r\n\"b\"=hex:00,\\", "fault"},
        {u"[K]\r\n\"b\"=hex:00,\\\r\n ; 01\r\n", "fault"},
        // Deletions, values before a key, lines of no known form.
        {u"[-K]\r\n", "fault"},
        {u"[K]\r\n\"v\"=-\r\n", "fault"},
        {u"\"v\"=\"x\"\r\n[K]\r\n", "fault"},
        {u"[K]\r\nv=\"x\"\r\n", "fault"},
        {u"[K\r\n", "fault"},
        {u"[ K]\r\n", "fault"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.shape, shape(utf16File(kHeader + std::u16string(row.body)))) << row.shape;
    // A NUL would end the line early for a reader of C strings.
    const char16_t withNul[] = u"[K]\r\n\"v\"=\"x\"\0\r\n[HKLM\\Run]";
    const size_t length = sizeof withNul / sizeof withNul[0] - 1;
    EXPECT_EQ("fault", shape(utf16File(kHeader + std::u16string(withNul, length))));
    // The header must be the first line, matching the encoding.
    EXPECT_EQ("fault", shape(utf16File(u"\r\nWindows Registry Editor Version 5.00\r\n[K]\r\n")));
    EXPECT_EQ("fault", shape(utf16File(u"REGEDIT4\r\n[K]\r\n")));
    EXPECT_EQ("fault", shape("Windows Registry Editor Version 5.00\r\n[K]\r\n"));
    EXPECT_EQ("fault", shape(utf16File(kHeader).substr(0, 9)));
    EXPECT_EQ("K: v", shape("REGEDIT4\r\n\r\n[K]\r\n\"v\"=\"x\"\r\n"));
}

TEST(RegExport, EveryValueTypeGivesTheBytesTheRegistryHolds)
{
    struct Row {
        const char16_t* line;
        uint32_t type;
        std::string data;
        const char16_t* name;
    } rows[] = {
        {u"\"V\"=\"a\\\"\\\\\\n\\r\"", 1, std::string("a\0\"\0\\\0\n\0\r\0\0\0", 12), u"V"},
        {u"@=\"\"", 1, std::string("\0\0", 2), u""},
        {u"\"Q\\\"=\"=dword:12345678", 4, "\x78\x56\x34\x12", u"Q\"="},
        {u"\"B\"=hex:00,ff,\\\r\n  10", 3, std::string("\0\xff\x10", 3), u"B"},
        {u"\"M\"=hex(7):61,00,00,00,00,00", 7, std::string("a\0\0\0\0\0", 6), u"M"},
        {u"\"E\"=hex(2):25,00,41,00,25,00,00,00", 2, std::string("%\0A\0%\0\0\0", 8), u"E"},
        {u"\"N\"=hex(0):", 0, "", u"N"},
        {u"\"W\"=hex(b):01,00,00,00,00,00,00,80", 11, std::string("\1\0\0\0\0\0\0\x80", 8), u"W"},
        {u"\"Z\"=hex(20000):AB", 0x20000, "\xab", u"Z"},
        {u"\"\x0418\x043c\x044f\"=\"\x0416\xd83d\xde00\"", 1,
         std::string("\x16\x04\x3d\xd8\x00\xde\0\0", 8), u"\x0418\x043c\x044f"},
    };
    for (const Row& row : rows) {
        ks::RegExport parsed;
        std::string fault;
        ASSERT_TRUE(ks::readRegExport(utf16File(kHeader + std::u16string(u"[K]\r\n") + row.line),
                                      nullptr, parsed, fault))
            << narrow(row.line) << ": " << fault;
        ASSERT_EQ(1u, parsed.keys.size());
        ASSERT_EQ(1u, parsed.keys[0].values.size()) << narrow(row.line);
        const ks::RegExportValue& value = parsed.keys[0].values[0];
        EXPECT_EQ(row.name, value.name) << narrow(row.line);
        EXPECT_EQ(row.type, value.type) << narrow(row.line);
        EXPECT_EQ(row.data, value.data) << narrow(row.line);
    }
    for (const char16_t* bad : {u"\"X\"=dword:123456789", u"\"X\"=dword:", u"\"X\"=hex:0g",
                                u"\"X\"=hex:001", u"\"X\"=\"open", u"\"X\"=\"a\\q\"",
                                u"\"X\"=hex():00", u"\"X\"=str(2):\"a\"", u"\"X\"=\"a\" b"})
        EXPECT_EQ("fault", shape(utf16File(kHeader + std::u16string(u"[K]\r\n") + bad)))
            << narrow(bad);
    // In an ANSI export the expandable and multi-string bytes are ANSI text.
    ks::RegExport parsed;
    std::string fault;
    ASSERT_TRUE(ks::readRegExport("REGEDIT4\r\n[K]\r\n\"E\"=hex(2):41,00\r\n\"S\"=\"\xe9\"\r\n",
                                  nullptr, parsed, fault));
    ASSERT_EQ(2u, parsed.keys[0].values.size());
    EXPECT_EQ(std::string("A\0\0\0", 4), parsed.keys[0].values[0].data);
    EXPECT_EQ(std::string("\xe9\0\0\0", 4), parsed.keys[0].values[1].data);
}
