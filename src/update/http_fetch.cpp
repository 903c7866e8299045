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
bool readWholeBody(HINTERNET request, std::string& body)
{
    std::vector<char> block(kReadBlock);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, block.data(), kReadBlock, &read))
            return false;
        if (read == 0)
            return true;
        if (body.size() + read > kMaxPageSize)
            return false;
        body.append(block.data(), read);
    }
}

}  // namespace

bool fetchPage(const std::string& url, std::string& text, bool cutToBody)
{
    text.clear();
    InternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (session.get() == nullptr)
        return false;
    InternetHandle request(InternetOpenUrlA(session.get(), url.c_str(), kAcceptHeader,
                                            kAcceptHeaderLength, INTERNET_FLAG_DONT_CACHE, 0));
    if (request.get() == nullptr)
        return false;
    if (!statusIsOk(request.get()))
        return false;
    std::string body;
    if (!readWholeBody(request.get(), body))
        return false;
    text = cutToBody ? fileNameFromVersionPage(body) : body;
    return true;
}

}  // namespace kestrune
