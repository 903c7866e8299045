// Links anywhere on a path.
#include "platform/path_links.h"

#include "platform/system_paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"

#include <windows.h>

namespace kestrune {

namespace {

// The length of the root of the full path `path` that is never a link of its
// own: "X:\" or "\\server\share\"; 0 for any other form.
std::string::size_type rootLength(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        return 3;
    if (path.compare(0, 2, "\\\\") != 0 || path.compare(0, 4, "\\\\?\\") == 0 ||
        path.compare(0, 4, "\\\\.\\") == 0)
        return 0;
    const std::string::size_type server = path.find('\\', 2);
    if (server == std::string::npos || server == 2)
        return 0;
    const std::string::size_type share = path.find('\\', server + 1);
    if (share == std::string::npos)
        return path.size() > server + 1 ? path.size() : 0;
    return share > server + 1 ? share + 1 : 0;
}

// The position of the first backslash of `path` at or after `from` that is
// not the trail byte of a two-byte character; npos when there is none.
std::string::size_type nextBackslash(const std::string& path, std::string::size_type from)
{
    for (std::string::size_type i = from; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\')
            return i;
    }
    return std::string::npos;
}

bool gone(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool pathLeadsThroughLink(const std::string& path)
{
    std::string full = fullPathOf(path);
    const std::string::size_type root = rootLength(full);
    if (root == 0)
        return true;
    while (full.size() > root && full.back() == '\\')
        full.pop_back();

    // Each part in turn, from the root down to the last one that exists.
    std::string existing = full.substr(0, root);
    std::string::size_type start = root;
    while (start < full.size()) {
        const std::string::size_type begin = start;
        std::string::size_type stop = nextBackslash(full, start);
        if (stop == std::string::npos)
            stop = full.size();
        start = stop + 1;
        if (stop == begin)
            continue;   // an empty part (two backslashes in a row)
        const std::string part = full.substr(0, stop);
        const DWORD attributes = attributesOf(part);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (gone(GetLastError()))
                break;
            return true;
        }
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return true;
        existing = part;
    }

    if (!systemResolvesPaths())
        return false;
    const std::string leads = leadsToPath(existing);
    if (leads.empty())
        return true;
    std::string spelled = longPathOf(existing);
    if (spelled.empty())
        spelled = existing;
    while (spelled.size() > root && spelled.back() == '\\')
        spelled.pop_back();
    std::string reached = leads;
    while (reached.size() > root && reached.back() == '\\')
        reached.pop_back();
    return !sameText(reached, spelled);
}

}  // namespace kestrune
