// The version page's name, the name check and the update server's address.
#include "update/release_statement.h"
#include "update/update_server.h"
#include "update/version_page.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(VersionPage, NameIsTheLowerCasedTrimmedBodyText)
{
    struct Row {
        const char* page;
        const char* name;
    };
    const Row rows[] = {
        {"<html><body>kestrune_1.ks</body></html>", "kestrune_1.ks"},
        {"<HTML><BODY>  Kestrune_0601_V3.KS \r\n</BODY></HTML>", "kestrune_0601_v3.ks"},
        {"<html><body>\n\tname.ks\n</body>tail</body></html>", "name.ks"},
        {"  Plain.KS  \n", "plain.ks"},
        {"<body>after only", "after only"},
        {"<html><body></body></html>", ""},
        {"", ""},
        {"x</body><body>y</body>", "y"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(fileNameFromVersionPage(row.page), row.name) << row.page;
}

TEST(VersionPage, OnlyPlainFileNamesAreSafe)
{
    struct Row {
        std::string name;
        bool safe;
    };
    const Row rows[] = {
        {"kestrune_0601_v3.ks", true},
        {"Defs-2024.v2.KS", true},
        {"defs 2024.ks", false},
        {"a.b.c", false},
        {"name.exe", false},
        {"kestrune-cli.exe", false},
        {"Kestrune.exe", false},
        {"uninst.exe", false},
        {"README.txt", false},
        {"..\\x.ks", false},
        {"C:\\x.ks", false},
        {".ks", false},
        {"x.ks.", false},
        {"nul.ks", false},
        {"COM1.x.ks", false},
        {"com10.ks", true},
        {"", false},
        {"..", false},
        {".", false},
        {". .", false},
        {"..\\evil.ks", false},
        {"../evil.ks", false},
        {"sub\\file.ks", false},
        {"sub/file.ks", false},
        {"c:evil.ks", false},
        {"C:\\windows\\evil.ks", false},
        {"\\\\server\\share\\x.ks", false},
        {"a..ks", false},
        {"name?.ks", false},
        {"name*.ks", false},
        {"a<b>.ks", false},
        {"pipe|.ks", false},
        {"quote\".ks", false},
        {std::string("tab\tname.ks"), false},
        {std::string("nul\x01.ks"), false},
        {std::string(197, 'a') + ".ks", true},
        {std::string(198, 'a') + ".ks", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isSafeReferenceFileName(row.name), row.safe) << "[" << row.name << "]";
}

const char kHash[] = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

TEST(ReleaseStatement, OnlyTheExactLinesParse)
{
    const std::string good = std::string("name=new.ks\nsha256=") + kHash +
                             "\nsize=1234\nserial=17\nexpires=2027-02-28\n";
    ReleaseStatement statement;
    ASSERT_TRUE(parseReleaseStatement(good, statement));
    EXPECT_EQ(statement.name, "new.ks");
    EXPECT_EQ(statement.size, 1234u);
    EXPECT_EQ(statement.serial, 17u);
    EXPECT_EQ(dayText(statement.expires), "2027-02-28");
    EXPECT_EQ(releaseStatementText(statement), good);
    long day = 0;
    ASSERT_TRUE(dayNumber(2024, 2, 29, day));
    EXPECT_EQ(day, 19782);
    EXPECT_EQ(dayText(day + 1), "2024-03-01");

    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    struct Row {
        const char* why;
        std::string text;
        bool parses;
    };
    const Row rows[] = {
        {"CR LF line ends", replaced("\n", "\r\n"), true},
        {"no last line end", good.substr(0, good.size() - 1), false},
        {"a line more", good + "extra=1\n", false},
        {"lines swapped", replaced("size=1234\nserial=17", "serial=17\nsize=1234"), false},
        {"a hostile name", replaced("new.ks", "..\\kestrune-cli.exe"), false},
        {"upper-case hash", replaced("aabb", "AABB"), false},
        {"short hash", replaced("eeff\n", "eef\n"), false},
        {"negative size", replaced("1234", "-1234"), false},
        {"serial 0", replaced("=17", "=0"), false},
        {"serial too long", replaced("=17", "=12345678901234567890"), false},
        {"no such day", replaced("02-28", "02-29"), false},
        {"date with a time", replaced("02-28", "02-28T00:00"), false},
        {"blank after =", replaced("size=", "size= "), false},
        {"empty", "", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseReleaseStatement(row.text, statement), row.parses) << row.why;
}

TEST(ReleaseStatement, TheFileMustBeTheReleaseNoOlderAndNotExpired)
{
    ReleaseStatement statement;
    statement.name = "new.ks";
    statement.sha256 = kHash;
    statement.size = 10;
    statement.serial = 5;
    statement.expires = 20000;
    struct Row {
        const char* why;
        std::string name;
        std::string hash;
        std::uint64_t size;
        std::uint64_t installed;
        long today;
        ReleaseJudgement judgement;
    };
    const std::string other(64, 'a');
    const Row rows[] = {
        {"the release", "new.ks", kHash, 10, 4, 19000, ReleaseJudgement::Good},
        {"the same release again", "NEW.KS", kHash, 10, 5, 20000, ReleaseJudgement::Good},
        {"another name", "old.ks", kHash, 10, 0, 0, ReleaseJudgement::Mismatch},
        {"another hash", "new.ks", other, 10, 0, 0, ReleaseJudgement::Mismatch},
        {"another size", "new.ks", kHash, 11, 0, 0, ReleaseJudgement::Mismatch},
        {"replayed older release", "new.ks", kHash, 10, 6, 0, ReleaseJudgement::Older},
        {"expired", "new.ks", kHash, 10, 0, 20001, ReleaseJudgement::Expired},
    };
    for (const Row& row : rows)
        EXPECT_EQ(judgeRelease(statement, row.name, row.hash, row.size, row.installed, row.today),
                  row.judgement)
            << row.why;
}

TEST(UpdateServer, HostOverrideMustBeAHostWithAnOptionalPort)
{
    struct Row {
        const char* host;
        bool ok;
    };
    const Row rows[] = {
        {"127.0.0.1", true},        {"127.0.0.1:8080", true}, {"mirror.example.org", true},
        {"localhost:1", true},      {"", false},              {":80", false},
        {"host:", false},           {"host:0", false},        {"host:65536", false},
        {"host:80:81", false},      {"host/path", false},     {"user@host", false},
        {"http://host", false},     {"host name", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isAcceptableHost(row.host), row.ok) << row.host;
}

class UpdateUrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char saved[256] = "";
        had_ = GetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER", saved, sizeof saved) > 0;
        saved_ = saved;
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER", had_ ? saved_.c_str() : nullptr);
    }
    bool had_ = false;
    std::string saved_;
};

TEST_F(UpdateUrlTest, UrlsComeFromTheStringTableUnlessTheHostIsReplaced)
{
    SetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER", nullptr);
    EXPECT_EQ(versionPageUrl(), "http://updates.kestrune.example/def/def_newv2.html");
    EXPECT_EQ(downloadBaseUrl(), "http://updates.kestrune.example/def/");
    EXPECT_EQ(helpPageUrl(), "http://updates.kestrune.example/help.html");

    SetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER", "127.0.0.1:8123");
    EXPECT_EQ(versionPageUrl(), "http://127.0.0.1:8123/def/def_newv2.html");
    EXPECT_EQ(downloadBaseUrl(), "http://127.0.0.1:8123/def/");
    EXPECT_EQ(helpPageUrl(), "http://127.0.0.1:8123/help.html");

    SetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER", "evil.example/../x?");
    EXPECT_EQ(versionPageUrl(), "http://updates.kestrune.example/def/def_newv2.html")
        << "an override that is not a host is ignored";
}

}  // namespace
}  // namespace kestrune
