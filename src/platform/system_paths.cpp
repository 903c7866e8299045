// The system's answers about a path; GetFinalPathNameByHandleA is looked up
// at run time.
#include "platform/system_paths.h"

#include "platform/handles.h"

#include <windows.h>

namespace kestrune {

namespace {

// GetFinalPathNameByHandleA exists from Windows Vista on (and in Wine).
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

FinalPathFunction finalPathFunction()
{
    static const FinalPathFunction function = reinterpret_cast<FinalPathFunction>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA"));
    return function;
}

}  // namespace

std::string finalPathOf(const std::string& path)
{
    if (finalPathFunction() == nullptr)
        return std::string();
    ScopedHandle handle(CreateFileA(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.valid() ? finalPathOfHandle(handle.get()) : std::string();
}

std::string finalPathOfHandle(HANDLE handle)
{
    FinalPathFunction finalPath = finalPathFunction();
    if (finalPath == nullptr)
        return std::string();
    std::string buffer(MAX_PATH, '\0');
    DWORD n = finalPath(handle, &buffer[0], static_cast<DWORD>(buffer.size()), 0);
    if (n >= buffer.size()) {
        buffer.assign(n + 1, '\0');
        n = finalPath(handle, &buffer[0], static_cast<DWORD>(buffer.size()), 0);
    }
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return buffer;
}

std::string leadsToPath(const std::string& path)
{
    const std::string buffer = finalPathOf(path);
    if (buffer.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + buffer.substr(8);
    if (buffer.compare(0, 4, "\\\\?\\") == 0)
        return buffer.substr(4);
    return buffer;
}

bool systemResolvesPaths()
{
    return finalPathFunction() != nullptr;
}

std::string fullPathOf(const std::string& path)
{
    DWORD n = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return std::string();
    std::string buffer(n, '\0');
    n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0], nullptr);
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return buffer;
}

std::string longPathOf(const std::string& path)
{
    DWORD n = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (n == 0)
        return std::string();
    std::string buffer(n, '\0');
    n = GetLongPathNameA(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return buffer;
}

}  // namespace kestrune
