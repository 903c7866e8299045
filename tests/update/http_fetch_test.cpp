// fetchPage against the local test server: the request it sends, the whole
// page, every answer that must not count as a page, the bounds on slow and
// endless bodies, and a cancel from another thread.
#include "update/http_fetch.h"

#include "support/test_http_server.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

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

// A body that comes a byte a second and header lines without end end at the
// whole-exchange bound, a body without end at the size bound; none waits for
// the data timeout.
TEST_F(FetchPageTest, SlowAndEndlessAnswersEndAtTheirBounds)
{
    struct Row {
        const char* why;
        int status;
        unsigned long limit;
        DWORD atMostMs;
    };
    const Row rows[] = {
        {"a byte a second", -2, 100, 6000},
        {"without end", -3, 200000, 6000},
        {"header lines without end", -4, 100, 6000},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(test::servePage("/slow", "0123456789", row.status));
        DWORD start = GetTickCount();
        std::string body = "stale";
        EXPECT_FALSE(fetchBody(base_ + "/slow", row.limit, body, nullptr, 3000)) << row.why;
        DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(body, "") << row.why;
        EXPECT_LT(elapsed, row.atMostMs) << row.why << ": waited " << elapsed << " ms";
    }
}

// cancel() from another thread ends a transfer between two reads (a call
// blocked on a silent server is not ended by closing its handles under
// Wine; the window leaves such a thread behind when the program closes),
// and every later fetch through it fails at once.
TEST_F(FetchPageTest, CancelEndsATransferUnderWay)
{
    ASSERT_TRUE(test::servePage("/slow", "0123456789", -2));
    TransferCancel cancel;
    std::thread canceller([&] {
        Sleep(1500);
        cancel.cancel();
    });
    DWORD start = GetTickCount();
    std::string body = "stale";
    EXPECT_FALSE(fetchBody(base_ + "/slow", 100, body, &cancel));
    DWORD elapsed = GetTickCount() - start;
    canceller.join();
    EXPECT_EQ(body, "");
    EXPECT_LT(elapsed, 4000u) << "waited " << elapsed << " ms";
    ASSERT_TRUE(test::servePage("/page", "text"));
    EXPECT_FALSE(fetchBody(base_ + "/page", 100, body, &cancel));
    EXPECT_TRUE(fetchBody(base_ + "/page", 100, body));
}

}  // namespace
}  // namespace kestrune
