// File-system calls through the W functions, with "\\?\" for long paths.
#include "platform/wide_paths.h"

#include <cstring>
#include <vector>

namespace kestrune {

namespace {

// Longer paths take the "\\?\" form. CreateDirectory's plain form ends below
// MAX_PATH (room for an 8.3 name is kept), so the limit is that one for every
// call.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

bool isSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool isDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// `rest` split into parts at slashes, "." dropped and ".." taking the part
// before it away, joined again behind `root`; empty when a ".." climbs above
// `root`.
std::wstring resolvedBehind(const std::wstring& root, const std::wstring& rest)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t stop = start;
        while (stop < rest.size() && !isSlash(rest[stop]))
            ++stop;
        const std::wstring part = rest.substr(start, stop - start);
        if (part == L"..") {
            if (parts.empty())
                return std::wstring();
            parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = stop + 1;
    }
    std::wstring joined = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            joined += L'\\';
        joined += parts[i];
    }
    return joined;
}

void copyName(const wchar_t* wide, char* out, size_t size)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, out, static_cast<int>(size),
                                      nullptr, nullptr);
    if (n == 0)
        out[0] = '\0';
}

// The W entry in the A form FindFirstFileA fills.
void narrowEntry(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* entry)
{
    entry->dwFileAttributes = wide.dwFileAttributes;
    entry->ftCreationTime = wide.ftCreationTime;
    entry->ftLastAccessTime = wide.ftLastAccessTime;
    entry->ftLastWriteTime = wide.ftLastWriteTime;
    entry->nFileSizeHigh = wide.nFileSizeHigh;
    entry->nFileSizeLow = wide.nFileSizeLow;
    entry->dwReserved0 = wide.dwReserved0;
    entry->dwReserved1 = wide.dwReserved1;
    copyName(wide.cAlternateFileName, entry->cAlternateFileName,
             sizeof entry->cAlternateFileName);
    copyName(wide.cFileName, entry->cFileName, sizeof entry->cFileName);
    // A name longer in the code page than the A entry holds: its short
    // name, which opens the same file, rather than a cut-off one.
    if (entry->cFileName[0] == '\0' && wide.cFileName[0] != L'\0')
        std::memcpy(entry->cFileName, entry->cAlternateFileName,
                    sizeof entry->cAlternateFileName);
}

}  // namespace

std::wstring toWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string fromWide(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], n,
                        nullptr, nullptr);
    return narrow;
}

std::wstring longPathForm(const std::wstring& path)
{
    if (path.size() < kPlainPathLimit)
        return path;
    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == L':' && isSlash(path[2]))
        return resolvedBehind(L"\\\\?\\" + path.substr(0, 2) + L"\\", path.substr(3));
    const bool twoSlashes = isSlash(path[0]) && isSlash(path[1]);
    if (!twoSlashes || path[2] == L'?' || path[2] == L'.')
        return path;   // already a device or "\\?\" form, or not a full path
    // "\\server\share\...": server and share form the root, never climbed.
    size_t server = 2;
    while (server < path.size() && !isSlash(path[server]))
        ++server;
    size_t share = server + 1;
    while (share < path.size() && !isSlash(path[share]))
        ++share;
    if (server == 2 || share >= path.size() || share == server + 1)
        return path;
    const std::wstring root = L"\\\\?\\UNC\\" + path.substr(2, server - 2) + L"\\" +
                              path.substr(server + 1, share - server - 1) + L"\\";
    return resolvedBehind(root, path.substr(share + 1));
}

std::wstring toWidePath(const std::string& path)
{
    return longPathForm(toWide(path));
}

DWORD attributesOf(const std::string& path)
{
    return GetFileAttributesW(toWidePath(path).c_str());
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool attributeDataOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data)
{
    return GetFileAttributesExW(toWidePath(path).c_str(), GetFileExInfoStandard, data) != FALSE;
}

bool setAttributesOf(const std::string& path, DWORD attributes)
{
    return SetFileAttributesW(toWidePath(path).c_str(), attributes) != FALSE;
}

bool deleteFileAt(const std::string& path)
{
    return DeleteFileW(toWidePath(path).c_str()) != FALSE;
}

bool removeFolderAt(const std::string& path)
{
    return RemoveDirectoryW(toWidePath(path).c_str()) != FALSE;
}

bool createFolderAt(const std::string& path)
{
    return CreateDirectoryW(toWidePath(path).c_str(), nullptr) != FALSE;
}

bool moveFileAt(const std::string& from, const std::string& to, DWORD flags)
{
    const std::wstring target = toWidePath(to);
    return MoveFileExW(toWidePath(from).c_str(), to.empty() ? nullptr : target.c_str(),
                       flags) != FALSE;
}

bool copyFileAt(const std::string& from, const std::string& to, bool failIfExists)
{
    return CopyFileW(toWidePath(from).c_str(), toWidePath(to).c_str(),
                     failIfExists ? TRUE : FALSE) != FALSE;
}

HANDLE openFileAt(const std::string& path, DWORD access, DWORD share,
                  SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                  HANDLE templateFile)
{
    return CreateFileW(toWidePath(path).c_str(), access, share, security, disposition, flags,
                       templateFile);
}

HANDLE findFirstAt(const std::string& pattern, WIN32_FIND_DATAA* entry)
{
    WIN32_FIND_DATAW wide = {};
    const HANDLE find = FindFirstFileW(toWidePath(pattern).c_str(), &wide);
    if (find != INVALID_HANDLE_VALUE)
        narrowEntry(wide, entry);
    return find;
}

bool findNextAt(HANDLE find, WIN32_FIND_DATAA* entry)
{
    WIN32_FIND_DATAW wide = {};
    if (!FindNextFileW(find, &wide))
        return false;
    narrowEntry(wide, entry);
    return true;
}

}  // namespace kestrune
