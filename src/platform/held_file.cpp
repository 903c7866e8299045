// Opening a file to judge it: its names and its version resource.
#include "platform/held_file.h"
#include "platform/wide_paths.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {

namespace {

// The text at `query` of the version block; empty when there is none.
std::string versionText(const std::vector<char>& block, const std::string& query)
{
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr || length == 0)
        return std::string();
    std::string value(text, length);
    const std::string::size_type end = value.find('\0');
    if (end != std::string::npos)
        value.resize(end);
    return value;
}

}  // namespace

HeldFile::HeldFile(const std::string& path)
    : path_(path), file_(openFileAt(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
{
    if (!file_.valid())
        openError_ = GetLastError();
}

bool HeldFile::missing() const
{
    return openError_ == ERROR_FILE_NOT_FOUND || openError_ == ERROR_PATH_NOT_FOUND;
}

unsigned long HeldFile::linkCount() const
{
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file_.valid() || !GetFileInformationByHandle(file_.get(), &information))
        return 0;
    return information.nNumberOfLinks;
}

std::vector<std::string> HeldFile::originalFileNames() const
{
    std::vector<std::string> names;
    if (!file_.valid())
        return names;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &ignored);
    if (size == 0)
        return names;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path_.c_str(), 0, size, block.data()))
        return names;
    // Every language the resource names, and the usual ones when it names none.
    std::vector<DWORD> languages;
    WORD* pairs = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs),
                       &length) &&
        pairs != nullptr) {
        for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2)
            languages.push_back(MAKELONG(pairs[i + 1], pairs[i]));
    }
    for (DWORD usual : {0x040904B0ul, 0x040904E4ul, 0x000004B0ul})
        languages.push_back(usual);
    for (DWORD language : languages) {
        char query[64];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%08lX\\OriginalFilename",
                      static_cast<unsigned long>(language));
        const std::string name = versionText(block, query);
        if (!name.empty())
            names.push_back(name);
    }
    return names;
}

}  // namespace kestrune
