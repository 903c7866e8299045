// Setting up the test HTTP server's pages through WinInet.
#include "support/test_http_server.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace kestrune {
namespace test {

namespace {

struct Handle {
    explicit Handle(HINTERNET h) : h(h) {}
    ~Handle()
    {
        if (h != nullptr)
            InternetCloseHandle(h);
    }
    HINTERNET h;
};

// One request to the test server; true when it answered 200. `reply`
// receives the body.
bool request(const char* verb, const std::string& path, const std::string& body,
             std::string* reply)
{
    std::string host = testServerHost();
    std::string::size_type colon = host.find(':');
    if (colon == std::string::npos)
        return false;
    INTERNET_PORT port = static_cast<INTERNET_PORT>(std::stoi(host.substr(colon + 1)));
    Handle session(InternetOpenA("kestrune-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    Handle connection(InternetConnectA(session.h, host.substr(0, colon).c_str(), port, nullptr,
                                       nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    Handle req(HttpOpenRequestA(connection.h, verb, path.c_str(), nullptr, nullptr, nullptr,
                                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (req.h == nullptr)
        return false;
    if (!HttpSendRequestA(req.h, nullptr, 0, const_cast<char*>(body.data()),
                          static_cast<DWORD>(body.size())))
        return false;
    DWORD status = 0, size = sizeof status;
    HttpQueryInfoA(req.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    std::vector<char> buffer(4096);
    DWORD read = 0;
    while (InternetReadFile(req.h, buffer.data(), static_cast<DWORD>(buffer.size()), &read) &&
           read > 0)
        if (reply != nullptr)
            reply->append(buffer.data(), read);
    return status == 200;
}

}  // namespace

std::string testServerHost()
{
    char value[64] = "";
    DWORD n = GetEnvironmentVariableA("KESTRUNE_TEST_HTTP", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

bool servePage(const std::string& path, const std::string& body, int status)
{
    return request("PUT", path + "?status=" + std::to_string(status), body, nullptr);
}

bool resetTestServer()
{
    return request("DELETE", "/__all", std::string(), nullptr);
}

std::string testServerLog()
{
    std::string reply;
    request("GET", "/__log", std::string(), &reply);
    return reply;
}

void useUpdateServer(const std::string& host)
{
    SetEnvironmentVariableA("KESTRUNE_UPDATE_SERVER",
                            (host.empty() ? testServerHost() : host).c_str());
}

}  // namespace test
}  // namespace kestrune
