// The system's answers about a path, asked through the W functions so that
// long paths are answered too; GetFinalPathNameByHandleW is looked up at run
// time.
#include "platform/system_paths.h"

#include "platform/handles.h"
#include "platform/wide_paths.h"

#include <windows.h>

#include <vector>

namespace kestrune {

namespace {

// GetFinalPathNameByHandleW exists from Windows Vista on (and in Wine).
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

FinalPathFunction finalPathFunction()
{
    static const FinalPathFunction function = reinterpret_cast<FinalPathFunction>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW"));
    return function;
}

// The object name of an open file as ntdll answers it, for a path too long
// for Wine's GetFinalPathNameByHandleW (it keeps the name in a MAX_PATH
// buffer and fails). Only the "\??\X:\..." form Wine gives is taken,
// turned into "\\?\X:\..."; any other (a device name) gives empty.
std::wstring objectNameOf(HANDLE handle)
{
    struct Name {
        USHORT length;
        USHORT maximumLength;
        PWSTR buffer;
    };
    using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const QueryObject query = reinterpret_cast<QueryObject>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject"));
    if (query == nullptr)
        return std::wstring();
    const int objectNameInformation = 1;
    std::vector<char> block(sizeof(Name) + 65536 * sizeof(WCHAR));
    ULONG written = 0;
    if (query(handle, objectNameInformation, block.data(), static_cast<ULONG>(block.size()),
              &written) < 0)
        return std::wstring();
    const Name* name = reinterpret_cast<const Name*>(block.data());
    if (name->buffer == nullptr)
        return std::wstring();
    std::wstring text(name->buffer, name->length / sizeof(WCHAR));
    if (text.compare(0, 4, L"\\??\\") != 0)
        return std::wstring();
    return L"\\\\?\\" + text.substr(4);
}

}  // namespace

std::string finalPathOf(const std::string& path)
{
    if (finalPathFunction() == nullptr)
        return std::string();
    ScopedHandle handle(openFileAt(path, 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    return handle.valid() ? finalPathOfHandle(handle.get()) : std::string();
}

std::string finalPathOfHandle(HANDLE handle)
{
    FinalPathFunction finalPath = finalPathFunction();
    if (finalPath == nullptr)
        return std::string();
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = finalPath(handle, &buffer[0], static_cast<DWORD>(buffer.size()), 0);
    if (n >= buffer.size()) {
        buffer.assign(n + 1, L'\0');
        n = finalPath(handle, &buffer[0], static_cast<DWORD>(buffer.size()), 0);
    }
    if (n == 0 || n >= buffer.size())
        return fromWide(objectNameOf(handle));
    buffer.resize(n);
    return fromWide(buffer);
}

std::string plainFormOf(const std::string& path)
{
    if (path.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + path.substr(8);
    if (path.compare(0, 4, "\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

std::string leadsToPath(const std::string& path)
{
    return plainFormOf(finalPathOf(path));
}

bool systemResolvesPaths()
{
    return finalPathFunction() != nullptr;
}

std::string fullPathOf(const std::string& path)
{
    const std::wstring wide = toWide(path);
    if (wide.empty())
        return std::string();
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return std::string();
    std::wstring buffer(n, L'\0');
    n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0], nullptr);
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return fromWide(buffer);
}

std::string longPathOf(const std::string& path)
{
    // The long spelling comes back in the form it was asked in: a path that
    // needed "\\?\" loses it again.
    const std::wstring wide = toWidePath(path);
    DWORD n = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0)
        return std::string();
    std::wstring buffer(n, L'\0');
    n = GetLongPathNameW(wide.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return std::string();
    buffer.resize(n);
    return wide.compare(0, 4, L"\\\\?\\") == 0 && path.compare(0, 4, "\\\\?\\") != 0
               ? plainFormOf(fromWide(buffer))
               : fromWide(buffer);
}

}  // namespace kestrune
