// The version page's name, the name check and the update server's address.
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
        {"defs 2024.ks", true},
        {"a.b.c", true},
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
        {std::string(200, 'a'), true},
        {std::string(201, 'a'), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isSafeReferenceFileName(row.name), row.safe) << "[" << row.name << "]";
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
