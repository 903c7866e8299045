// fetchPage and fetchBody: one HTTP GET through WinInet, bounded in size and
// in time.
#pragma once

#include "update/transfer_cancel.h"

#include <string>

namespace kestrune {

// The longest page fetchPage accepts; a version page names one file.
constexpr unsigned kMaxPageSize = 64 * 1024;

// How long a request waits for the connection, and for the next data; and
// how long reading a body may take in all (a server that sends a byte now
// and then would otherwise hold the update for ever).
constexpr unsigned kConnectTimeoutMs = 15 * 1000;
constexpr unsigned kDataTimeoutMs = 30 * 1000;
constexpr unsigned kTransferTimeoutMs = 2 * 60 * 1000;
// The whole exchange of a version page, headers included.
constexpr unsigned kPageTimeoutMs = 30 * 1000;
// The longest response headers a request accepts.
constexpr unsigned kMaxHeaderSize = 64 * 1024;

// Fetches `url` as fetchPage does, into `body`, reading at most `limit`
// bytes: true only for status 200, headers within kMaxHeaderSize and a body
// read to its end within `limit`, all within `transferMs` from the call
// (connection, headers and body: the call returns at that bound whatever
// the server does). False for anything else, including a timeout and a
// transfer ended through `cancel`; `body` is then empty.
bool fetchBody(const std::string& url, unsigned long limit, std::string& body,
               TransferCancel* cancel = nullptr, unsigned transferMs = kTransferTimeoutMs);

// Fetches `url` with the agent "Microsoft Internet Explorer", the header
// "Accept: */*" and no caching, reading the whole body. True only when the
// server answered with status 200 and the body was read to its end within
// kMaxPageSize bytes, all within kPageTimeoutMs; `text` then holds it (cut to its body text by
// fileNameFromVersionPage when `cutToBody` is set). False when the Internet
// session or the URL cannot be opened, the status is not 200, a read fails,
// or the page is longer than kMaxPageSize; `text` is then empty.
// `cancel` as for fetchBody.
bool fetchPage(const std::string& url, std::string& text, bool cutToBody,
               TransferCancel* cancel = nullptr);

}  // namespace kestrune
