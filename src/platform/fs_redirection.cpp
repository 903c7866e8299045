// Turning file-system redirection off and on for a scope, and the folders of
// the System32/SysWOW64 split.
#include "platform/fs_redirection.h"

#include "platform/text_compare.h"

#include <windows.h>

namespace kestrune {

namespace {

// The functions do not exist on 32-bit Windows XP: looked up at run time.
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFunction = BOOL(WINAPI*)(PVOID*);
using RevertFunction = BOOL(WINAPI*)(PVOID);
using FolderFunction = UINT(WINAPI*)(LPSTR, UINT);

FARPROC kernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel == nullptr ? nullptr : GetProcAddress(kernel, name);
}

DisableFunction disableFunction()
{
    return reinterpret_cast<DisableFunction>(kernelFunction("Wow64DisableWow64FsRedirection"));
}

RevertFunction revertFunction()
{
    return reinterpret_cast<RevertFunction>(kernelFunction("Wow64RevertWow64FsRedirection"));
}

// The calling thread's outermost scope that turned redirection off: how many
// scopes have it off now, and the state to go back to.
thread_local int offDepth = 0;
thread_local void* stateBeforeOff = nullptr;

std::string withoutTrailingSlash(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// The folder a GetSystemDirectoryA-like function answers, without a
// trailing backslash; empty when it fails or does not exist.
std::string folderFrom(FolderFunction function)
{
    if (function == nullptr)
        return std::string();
    const UINT needed = function(nullptr, 0);
    if (needed == 0)
        return std::string();
    std::string buffer(needed, '\0');
    const UINT length = function(&buffer[0], needed);
    if (length == 0 || length >= needed)
        return std::string();
    buffer.resize(length);
    return withoutTrailingSlash(buffer);
}

}  // namespace

bool runningOnWow64()
{
    static const bool onWow64 = [] {
        auto isWow64 = reinterpret_cast<IsWow64ProcessFunction>(kernelFunction("IsWow64Process"));
        BOOL answer = FALSE;
        return isWow64 != nullptr && isWow64(GetCurrentProcess(), &answer) && answer;
    }();
    return onWow64;
}

ScopedFsRedirectionOff::ScopedFsRedirectionOff()
{
    if (offDepth > 0) {
        ++offDepth;
        active_ = true;
        return;
    }
    if (!runningOnWow64())
        return;
    DisableFunction disable = disableFunction();
    if (disable == nullptr || !disable(&oldValue_))
        return;
    stateBeforeOff = oldValue_;
    offDepth = 1;
    active_ = true;
}

ScopedFsRedirectionOff::~ScopedFsRedirectionOff()
{
    if (!active_)
        return;
    if (--offDepth > 0)
        return;
    if (RevertFunction revert = revertFunction())
        revert(stateBeforeOff);
}

ScopedFsRedirectionOn::ScopedFsRedirectionOn()
{
    if (offDepth == 0)
        return;
    RevertFunction revert = revertFunction();
    if (revert == nullptr || !revert(stateBeforeOff))
        return;
    active_ = true;
}

ScopedFsRedirectionOn::~ScopedFsRedirectionOn()
{
    if (!active_)
        return;
    // Off again as the enclosing scope had it; its end reverts to the state
    // it found.
    void* state = nullptr;
    if (DisableFunction disable = disableFunction()) {
        if (disable(&state))
            stateBeforeOff = state;
    }
}

bool fsRedirectionOff()
{
    return offDepth > 0;
}

std::string wow64SystemFolder()
{
    if (!runningOnWow64())
        return std::string();
    return folderFrom(reinterpret_cast<FolderFunction>(
        kernelFunction("GetSystemWow64DirectoryA")));
}

std::string nativeSystemFolderAlias()
{
    if (!runningOnWow64())
        return std::string();
    const std::string windows = folderFrom(GetWindowsDirectoryA);
    return windows.empty() ? windows : windows + "\\Sysnative";
}

std::string inOtherSystemFolder(const std::string& path, const std::string& folder,
                                const std::string& systemFolder)
{
    const std::string system =
        systemFolder.empty() ? folderFrom(GetSystemDirectoryA) : withoutTrailingSlash(systemFolder);
    if (folder.empty() || system.empty() || path.size() < system.size() ||
        !sameText(path.substr(0, system.size()), system))
        return std::string();
    if (path.size() > system.size() && path[system.size()] != '\\')
        return std::string();
    return withoutTrailingSlash(folder) + path.substr(system.size());
}

}  // namespace kestrune
