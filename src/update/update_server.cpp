// Where the update server is.
#include "update/update_server.h"

#include "platform/resource_strings.h"

#include "resource.h"

#include <windows.h>

#include <vector>

namespace kestrune {

const char kUpdateServerVariable[] = "KESTRUNE_UPDATE_SERVER";
const char kVersionPagePath[] = "/def/def_newv2.html";
const char kDownloadPath[] = "/def/";
const char kHelpPagePath[] = "/help.html";

namespace {

const char kScheme[] = "http://";
const char kFallbackHost[] = "updates.kestrune.example";

std::string environmentVariable(const char* name)
{
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return std::string();
    std::vector<char> buffer(size);
    DWORD length = GetEnvironmentVariableA(name, buffer.data(), size);
    if (length == 0 || length >= size)
        return std::string();
    return std::string(buffer.data(), length);
}

}  // namespace

std::string builtInUpdateHost()
{
    std::string url = loadResourceString(IDS_VERSION_PAGE_URL);
    const std::string scheme = kScheme;
    if (url.compare(0, scheme.size(), scheme) != 0)
        return kFallbackHost;
    std::string::size_type slash = url.find('/', scheme.size());
    std::string host = url.substr(scheme.size(), slash == std::string::npos ? std::string::npos
                                                                            : slash - scheme.size());
    return isAcceptableHost(host) ? host : std::string(kFallbackHost);
}

bool isAcceptableHost(const std::string& host)
{
    if (host.empty() || host.size() > 253)
        return false;
    std::string::size_type colon = host.find(':');
    std::string name = host.substr(0, colon);
    if (name.empty())
        return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-';
        if (!ok)
            return false;
    }
    if (colon == std::string::npos)
        return true;
    std::string port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5)
        return false;
    for (char c : port)
        if (c < '0' || c > '9')
            return false;
    long value = std::stol(port);
    return value > 0 && value <= 65535;
}

std::string updateHost()
{
    std::string host = environmentVariable(kUpdateServerVariable);
    return isAcceptableHost(host) ? host : builtInUpdateHost();
}

namespace {

// The string-table URL `id` when no override is set and the entry exists;
// otherwise the URL built from the host in use and `path`.
std::string serverUrl(unsigned id, const char* path)
{
    if (!isAcceptableHost(environmentVariable(kUpdateServerVariable))) {
        std::string url = loadResourceString(id);
        if (!url.empty())
            return url;
    }
    return kScheme + updateHost() + path;
}

}  // namespace

std::string versionPageUrl() { return serverUrl(IDS_VERSION_PAGE_URL, kVersionPagePath); }
std::string downloadBaseUrl() { return kScheme + updateHost() + kDownloadPath; }
std::string helpPageUrl() { return serverUrl(IDS_HELP_PAGE, kHelpPagePath); }

}  // namespace kestrune
