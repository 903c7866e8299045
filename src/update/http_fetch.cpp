// fetchPage over WinInet.
#include "update/http_fetch.h"

#include "update/version_page.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace kestrune {

namespace {

const char kAgent[] = "Microsoft Internet Explorer";
const char kAcceptHeader[] = "Accept: */*\r\n\r\n";
const DWORD kAcceptHeaderLength = 15;
const DWORD kReadBlock = 4096;

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle()
    {
        if (handle_ != nullptr)
            InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};

bool statusIsOk(HINTERNET request)
{
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return false;
    return status == HTTP_STATUS_OK;
}

// Reads the body to its end; false on a failed read or a body over the limit.
bool readWholeBody(HINTERNET request, unsigned long limit, std::string& body)
{
    std::vector<char> block(kReadBlock);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, block.data(), kReadBlock, &read))
            return false;
        if (read == 0)
            return true;
        if (read > limit - body.size())
            return false;
        body.append(block.data(), read);
    }
}

// Without these WinInet waits for a silent server without end.
void setTimeouts(HINTERNET session)
{
    const DWORD connect = kConnectTimeoutMs;
    const DWORD data = kDataTimeoutMs;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, const_cast<DWORD*>(&connect),
                       sizeof connect);
    InternetSetOptionA(session, INTERNET_OPTION_SEND_TIMEOUT, const_cast<DWORD*>(&data),
                       sizeof data);
    InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, const_cast<DWORD*>(&data),
                       sizeof data);
}

}  // namespace

bool fetchBody(const std::string& url, unsigned long limit, std::string& body)
{
    body.clear();
    InternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session.get() == nullptr)
        return false;
    setTimeouts(session.get());
    InternetHandle request(InternetOpenUrlA(session.get(), url.c_str(), kAcceptHeader,
                                            kAcceptHeaderLength, INTERNET_FLAG_DONT_CACHE, 0));
    if (request.get() == nullptr)
        return false;
    if (!statusIsOk(request.get()))
        return false;
    if (!readWholeBody(request.get(), limit, body)) {
        body.clear();
        return false;
    }
    return true;
}

bool fetchPage(const std::string& url, std::string& text, bool cutToBody)
{
    text.clear();
    std::string body;
    if (!fetchBody(url, kMaxPageSize, body))
        return false;
    text = cutToBody ? fileNameFromVersionPage(body) : body;
    return true;
}

}  // namespace kestrune
