// The test programs' side of tests/support-programs/http_test_server.py: the
// server's address and the calls that set up its pages.
#pragma once

#include <string>

namespace kestrune {
namespace test {

// "127.0.0.1:PORT" from KESTRUNE_TEST_HTTP; empty when no server was started.
std::string testServerHost();

// GET `path` will answer `status` with `body` (status 0: no answer at all;
// -1 silent, -2 a byte a second, -3 without end, -4 header lines
// without end: see http_test_server.py).
bool servePage(const std::string& path, const std::string& body, int status = 200);
// Forgets every page and the request log.
bool resetTestServer();
// The requests so far, one a line: "GET PATH<tab>User-Agent<tab>Accept".
std::string testServerLog();

// Points the update at the test server (KESTRUNE_UPDATE_SERVER), or at
// `host` when given.
void useUpdateServer(const std::string& host = std::string());

}  // namespace test
}  // namespace kestrune
