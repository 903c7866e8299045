// The growing buffer behind the system's texts.
#include "platform/system_text.h"

#include "platform/registry_walk.h"

#include <shlobj.h>

#include <algorithm>

namespace kestrune {

namespace {

// `fill(buffer, size)` returns the text's length when it fits (less than
// `size`), a number not less than `size` when it does not, 0 on failure.
template <typename Fill>
std::string grownText(Fill fill)
{
    std::string buffer(MAX_PATH + 1, '\0');
    for (int round = 0; round < 6; ++round) {   // up to 32 KiB and past it
        const DWORD n = fill(&buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(std::max<size_t>(n + 1, buffer.size() * 4), '\0');
    }
    return std::string();
}

}  // namespace

std::string moduleFilePath(HMODULE module)
{
    // A cut path comes back as the whole buffer, so it never counts as fitting.
    return grownText([&](char* buffer, DWORD size) { return GetModuleFileNameA(module, buffer, size); });
}

std::string temporaryFolderPath()
{
    return grownText([](char* buffer, DWORD size) { return GetTempPathA(size, buffer); });
}

std::string windowsFolderPath()
{
    return grownText([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string systemFolderPath()
{
    return grownText([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); });
}

std::string shellFolderPath(int csidl, bool create)
{
    wchar_t wide[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr,
                                SHGFP_TYPE_CURRENT, wide)))
        return std::string();
    return narrowAnsi(wide);
}

}  // namespace kestrune
