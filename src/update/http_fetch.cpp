// fetchPage over WinInet.
#include "update/http_fetch.h"

#include "platform/boundary.h"
#include "update/version_page.h"

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrune {

namespace {

const char kAgent[] = "Microsoft Internet Explorer";
const char kAcceptHeader[] = "Accept: */*\r\n\r\n";
const DWORD kAcceptHeaderLength = 15;
const DWORD kReadBlock = 4096;
// How often a caller waiting for an exchange looks at its cancel, and how
// long it waits for an exchange whose handles it has closed.
const unsigned kPollMs = 50;
const unsigned kCloseGraceMs = 1000;

// An Internet handle, lent to `cancel` while it lives (when given): it is
// closed here unless cancel() has closed it already.
class InternetHandle {
public:
    InternetHandle(HINTERNET handle, TransferCancel* cancel) : handle_(handle), cancel_(cancel)
    {
        if (handle_ != nullptr && cancel_ != nullptr && !cancel_->lend(handle_)) {
            InternetCloseHandle(handle_);
            handle_ = nullptr;
        }
    }
    ~InternetHandle()
    {
        if (handle_ != nullptr && (cancel_ == nullptr || cancel_->takeBack(handle_)))
            InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
    TransferCancel* cancel_;
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

// False when the response's headers are longer than kMaxHeaderSize.
bool headersWithinBound(HINTERNET request)
{
    DWORD size = 0;
    if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr))
        return true;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER && size <= kMaxHeaderSize;
}

// Reads the body to its end; false on a failed read, a body over the limit,
// a read that takes longer than `transferMs` in all, or a cancelled one.
bool readWholeBody(HINTERNET request, unsigned long limit, unsigned transferMs,
                   const TransferCancel* cancel, std::string& body)
{
    std::vector<char> block(kReadBlock);
    const DWORD start = GetTickCount();
    for (;;) {
        if (GetTickCount() - start > transferMs || (cancel != nullptr && cancel->cancelled()))
            return false;
        // A read waits until its buffer is full, so only what has come is
        // asked for: a server that sends a byte now and then must not hold
        // one read past the bound.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0))
            return false;
        DWORD read = 0;
        if (available > 0 &&
            !InternetReadFile(request, block.data(), available < kReadBlock ? available : kReadBlock,
                              &read))
            return false;
        if (read == 0)
            return true;
        if (read > limit - body.size())
            return false;
        body.append(block.data(), read);
    }
}

// The timeouts are set on the request itself: WinInet does not hand those of
// the session down to its requests everywhere, and without them a silent
// server is waited for without end.
void setTimeouts(HINTERNET request)
{
    DWORD connect = kConnectTimeoutMs;
    DWORD data = kDataTimeoutMs;
    InternetSetOptionA(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(request, INTERNET_OPTION_SEND_TIMEOUT, &data, sizeof data);
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &data, sizeof data);
}

struct UrlParts {
    std::string host;
    std::string path;   // with the query
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

// Only http:// URLs; an update never goes anywhere else.
bool splitUrl(const std::string& url, UrlParts& parts)
{
    std::vector<char> host(url.size() + 1), path(url.size() + 1), extra(url.size() + 1);
    URL_COMPONENTSA c = {};
    c.dwStructSize = sizeof c;
    c.lpszHostName = host.data();
    c.dwHostNameLength = static_cast<DWORD>(host.size());
    c.lpszUrlPath = path.data();
    c.dwUrlPathLength = static_cast<DWORD>(path.size());
    c.lpszExtraInfo = extra.data();
    c.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &c) ||
        c.nScheme != INTERNET_SCHEME_HTTP || c.dwHostNameLength == 0)
        return false;
    parts.host.assign(host.data(), c.dwHostNameLength);
    parts.path.assign(path.data(), c.dwUrlPathLength);
    parts.path.append(extra.data(), c.dwExtraInfoLength);
    if (parts.path.empty())
        parts.path = "/";
    parts.port = c.nPort;
    return true;
}

// One request on the calling thread, its handles lent to `cancel`.
bool exchange(const UrlParts& parts, unsigned long limit, unsigned transferMs,
              TransferCancel* cancel, std::string& body)
{
    InternetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0),
                           cancel);
    if (session.get() == nullptr)
        return false;
    setTimeouts(session.get());
    InternetHandle connection(InternetConnectA(session.get(), parts.host.c_str(), parts.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
                              cancel);
    if (connection.get() == nullptr)
        return false;
    setTimeouts(connection.get());
    InternetHandle request(HttpOpenRequestA(connection.get(), "GET", parts.path.c_str(), nullptr,
                                            nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                                INTERNET_FLAG_DONT_CACHE,
                                            0),
                           cancel);
    if (request.get() == nullptr)
        return false;
    setTimeouts(request.get());
    if (!HttpSendRequestA(request.get(), kAcceptHeader, kAcceptHeaderLength, nullptr, 0))
        return false;
    if (!headersWithinBound(request.get()) || !statusIsOk(request.get()))
        return false;
    return readWholeBody(request.get(), limit, transferMs, cancel, body);
}

// What a request's thread shares with its caller; it outlives the caller
// when the thread is left behind.
struct Exchange {
    TransferCancel cancel;   // this request's handles
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool ok = false;
    std::string body;
};

}  // namespace

// The request runs on a thread of its own and the caller waits for it at
// most `transferMs`: WinInet's timeouts do not end a server that keeps
// sending (header lines without end), and closing the handles does not end
// every blocked call under Wine (tried: a server sending header lines kept
// being read after the close). At the bound the handles are closed, and a
// thread that still does not end is left behind with its share of Exchange.
bool fetchBody(const std::string& url, unsigned long limit, std::string& body,
               TransferCancel* cancel, unsigned transferMs)
{
    body.clear();
    UrlParts parts;
    if ((cancel != nullptr && cancel->cancelled()) || !splitUrl(url, parts))
        return false;
    auto shared = std::make_shared<Exchange>();
    std::thread worker;
    try {
        worker = std::thread([shared, parts, limit, transferMs] {
            std::string got;
            // An exchange that threw is a failed one.
            const bool ok = guarded(
                "update transfer thread",
                [&] { return exchange(parts, limit, transferMs, &shared->cancel, got); },
                [] { return false; });
            {
                std::lock_guard<std::mutex> lock(shared->mutex);
                shared->ok = ok;
                shared->body.swap(got);
                shared->done = true;
            }
            shared->ended.notify_all();
        });
    } catch (const std::system_error&) {
        return false;   // no thread to run the request on
    }
    const DWORD start = GetTickCount();
    std::unique_lock<std::mutex> lock(shared->mutex);
    while (!shared->done && GetTickCount() - start < transferMs &&
           !(cancel != nullptr && cancel->cancelled()))
        shared->ended.wait_for(lock, std::chrono::milliseconds(kPollMs));
    if (!shared->done) {
        lock.unlock();
        shared->cancel.cancel();
        lock.lock();
        shared->ended.wait_for(lock, std::chrono::milliseconds(kCloseGraceMs),
                               [&shared] { return shared->done; });
    }
    const bool done = shared->done;
    lock.unlock();
    if (!done) {
        worker.detach();
        return false;
    }
    worker.join();
    if (!shared->ok)
        return false;
    body.swap(shared->body);
    return true;
}

bool fetchPage(const std::string& url, std::string& text, bool cutToBody, TransferCancel* cancel)
{
    text.clear();
    std::string body;
    if (!fetchBody(url, kMaxPageSize, body, cancel, kPageTimeoutMs))
        return false;
    text = cutToBody ? fileNameFromVersionPage(body) : body;
    return true;
}

}  // namespace kestrune
