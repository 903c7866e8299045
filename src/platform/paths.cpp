// Joining and splitting path texts, character by character in the ANSI code
// page.
#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrune {

namespace {

// Which bytes start a two-byte character of the ANSI code page, read once
// (the code page does not change while the program runs). UTF-8 has none
// here: no byte of its multibyte characters is a backslash. The host build
// (tests with sanitizers) has no ANSI code page and treats texts as UTF-8.
struct LeadBytes {
    bool lead[256] = {};

    LeadBytes()
    {
#ifdef _WIN32
        if (GetACP() == CP_UTF8)
            return;
        for (int i = 0; i < 256; ++i)
            lead[i] = IsDBCSLeadByte(static_cast<BYTE>(i)) != FALSE;
#endif
    }
};

bool isLeadByte(char c)
{
    static const LeadBytes table;
    return table.lead[static_cast<unsigned char>(c)];
}

// The position where the run of backslashes that ends `path` begins (a trail
// byte that equals '\' is no backslash); path.size() when it does not end
// with one.
std::string::size_type trailingBackslashes(const std::string& path)
{
    std::string::size_type run = 0;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i]) && i + 1 < path.size()) {
            ++i;
            run = i + 1;
        } else if (path[i] != '\\') {
            run = i + 1;
        }
    }
    return run;
}

bool endsWithBackslash(const std::string& path)
{
    return trailingBackslashes(path) < path.size();
}

}  // namespace

std::string::size_type lastBackslash(const std::string& path)
{
    std::string::size_type last = std::string::npos;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i]) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\')
            last = i;
    }
    return last;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || endsWithBackslash(folder))
        return folder + name;
    return folder + "\\" + name;
}

std::string listingPattern(const std::string& folder)
{
    std::string pattern = folder;
    std::string::size_type end = pattern.find_last_not_of(' ');
    pattern.erase(end == std::string::npos ? 0 : end + 1);
    if (!endsWithBackslash(pattern))
        pattern += '\\';
    return pattern + "*.*";
}

std::string fileExtension(const std::string& path)
{
    std::string::size_type dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return std::string();
    return path.substr(dot + 1);
}

std::string baseNameOf(const std::string& path)
{
    const std::string::size_type slash = lastBackslash(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fileNameOf(const std::string& path)
{
    const std::string::size_type slash = lastBackslash(path);
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::string parentFolderOf(const std::string& path)
{
    const std::string::size_type slash = lastBackslash(path);
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string folderPartOf(const std::string& path)
{
    const std::string::size_type slash = lastBackslash(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isDriveRoot(const std::string& path)
{
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

std::string parentPath(const std::string& path)
{
    if (isDriveRoot(path))
        return std::string();
    const std::string::size_type last = lastBackslash(path);
    if (last == std::string::npos)
        return std::string();
    if (last == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, last);
}

std::string lastPart(const std::string& path)
{
    const std::string parent = parentPath(path);
    if (parent.empty())
        return path;
    return path.substr(parent.size() + (parent.back() == '\\' ? 0 : 1));
}

std::string withoutTrailingBackslashes(const std::string& path, RootBackslash root)
{
    std::string::size_type end = trailingBackslashes(path);
    if (end < path.size() && root == RootBackslash::Kept) {
        if (end == 0)
            end = 1;   // "\" alone
        else if (end == 2 && path[1] == ':')
            end = 3;   // "X:\"
    }
    return path.substr(0, end);
}

std::string withTrailingBackslash(const std::string& folder)
{
    if (folder.empty() || endsWithBackslash(folder))
        return folder;
    return folder + "\\";
}

}  // namespace kestrune
