// fetchPage against the local test server: the request it sends, the whole
// page, and every answer that must not count as a page.
#include "update/http_fetch.h"

#include "support/test_http_server.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kestrune {
namespace {

class FetchPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(test::testServerHost().empty()) << "run under http_test_server.py";
        ASSERT_TRUE(test::resetTestServer());
        base_ = "http://" + test::testServerHost();
    }
    std::string base_;
};

TEST_F(FetchPageTest, SendsTheAgentAndAcceptHeaderAndCutsToTheBody)
{
    ASSERT_TRUE(test::servePage("/def/def_newv2.html", "<HTML><BODY>\n  New_File.KS  \n</BODY></HTML>"));
    std::string text = "stale";
    ASSERT_TRUE(fetchPage(base_ + "/def/def_newv2.html", text, true));
    EXPECT_EQ(text, "new_file.ks");
    ASSERT_TRUE(fetchPage(base_ + "/def/def_newv2.html", text, false));
    EXPECT_EQ(text, "<HTML><BODY>\n  New_File.KS  \n</BODY></HTML>");
    EXPECT_EQ(test::testServerLog(),
              "GET /def/def_newv2.html\tMicrosoft Internet Explorer\t*/*\n"
              "GET /def/def_newv2.html\tMicrosoft Internet Explorer\t*/*\n");
}

TEST_F(FetchPageTest, ReadsAPageLongerThanOneBlockWhole)
{
    std::string page = "<html><body>" + std::string(20000, ' ') + "long.ks" +
                       std::string(20000, ' ') + "</body></html>";
    ASSERT_TRUE(test::servePage("/def/def_newv2.html", page));
    std::string text;
    ASSERT_TRUE(fetchPage(base_ + "/def/def_newv2.html", text, true));
    EXPECT_EQ(text, "long.ks");
}

TEST_F(FetchPageTest, FailuresGiveFalseAndAnEmptyText)
{
    ASSERT_TRUE(test::servePage("/server-error", "<html><body>oops.ks</body></html>", 500));
    ASSERT_TRUE(test::servePage("/moved", "<html><body>moved.ks</body></html>", 403));
    ASSERT_TRUE(test::servePage("/huge", std::string(kMaxPageSize + 1, 'x')));
    ASSERT_TRUE(test::servePage("/hang-up", "", 0));
    struct Row {
        std::string url;
        const char* why;
    };
    const Row rows[] = {
        {base_ + "/def/missing.html", "404 with a body"},
        {base_ + "/server-error", "500"},
        {base_ + "/moved", "403"},
        {base_ + "/huge", "longer than the limit"},
        {base_ + "/hang-up", "connection closed without an answer"},
        {"http://127.0.0.1:1/def/def_newv2.html", "connection refused"},
        {"not a url", "not a URL"},
    };
    for (const Row& row : rows) {
        std::string text = "stale";
        EXPECT_FALSE(fetchPage(row.url, text, true)) << row.why;
        EXPECT_EQ(text, "") << row.why;
    }
}

TEST_F(FetchPageTest, APageOfExactlyTheLimitIsRead)
{
    ASSERT_TRUE(test::servePage("/full", std::string(kMaxPageSize, 'y')));
    std::string text;
    ASSERT_TRUE(fetchPage(base_ + "/full", text, false));
    EXPECT_EQ(text.size(), kMaxPageSize);
}

TEST_F(FetchPageTest, BodiesStopAtTheirLimit)
{
    ASSERT_TRUE(test::servePage("/file", std::string(10000, 'z')));
    std::string body;
    EXPECT_TRUE(fetchBody(base_ + "/file", 10000, body));
    EXPECT_EQ(body.size(), 10000u);
    EXPECT_FALSE(fetchBody(base_ + "/file", 9999, body));
    EXPECT_EQ(body, "");
}

TEST_F(FetchPageTest, ASilentServerIsAFailureWithinTheTimeouts)
{
    ASSERT_TRUE(test::servePage("/silent", "", -1));
    DWORD start = GetTickCount();
    std::string body = "stale";
    EXPECT_FALSE(fetchBody(base_ + "/silent", 100, body));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(body, "");
    EXPECT_LT(elapsed, kDataTimeoutMs + 10000) << "waited " << elapsed << " ms";
}

}  // namespace
}  // namespace kestrune
