// File-system redirection of a 32-bit program on 64-bit Windows: Windows
// shows such a program SysWOW64 under the name System32. The engine turns the
// redirection off on its own threads around its file work, so that its walks
// and checks see the real folders and its locations are real paths.
//
// The contract: redirection is never kept off around anything that may load
// a DLL into this process - LoadLibrary, COM, shell calls (ShellExecute,
// SHFileOperation, SHGetFolderPath and the like), a window message pump, or
// CreateProcess of a 32-bit helper - since the loader would then be shown the
// 64-bit System32. Such a call inside a scope that turned redirection off is
// wrapped in ScopedFsRedirectionOn. Plain file, folder, registry and process
// calls of kernel32/advapi32 are safe. The calls are per thread.
#pragma once

#include <string>

namespace kestrune {

// True when this 32-bit process runs on 64-bit Windows (IsWow64Process,
// looked up at run time; false where the function does not exist).
bool runningOnWow64();

// Turns redirection off for the calling thread for its lifetime
// (Wow64DisableWow64FsRedirection, then Wow64RevertWow64FsRedirection); does
// nothing when not on WOW64 or when the functions do not exist (32-bit
// Windows XP). Scopes nest.
class ScopedFsRedirectionOff {
public:
    ScopedFsRedirectionOff();
    ~ScopedFsRedirectionOff();
    ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
    ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;
    // True when this scope turned redirection off.
    bool active() const { return active_; }

private:
    void* oldValue_ = nullptr;
    bool active_ = false;
};

// Turns redirection back on for the calling thread for its lifetime, when a
// ScopedFsRedirectionOff of this thread has it off (around a call that may
// load a DLL); does nothing otherwise.
class ScopedFsRedirectionOn {
public:
    ScopedFsRedirectionOn();
    ~ScopedFsRedirectionOn();
    ScopedFsRedirectionOn(const ScopedFsRedirectionOn&) = delete;
    ScopedFsRedirectionOn& operator=(const ScopedFsRedirectionOn&) = delete;

private:
    bool active_ = false;
};

// True when a ScopedFsRedirectionOff of the calling thread has redirection
// off now.
bool fsRedirectionOff();

// The 32-bit system folder of 64-bit Windows ("C:\Windows\SysWOW64",
// GetSystemWow64DirectoryA); empty on 32-bit Windows.
std::string wow64SystemFolder();

// The 64-bit system folder as a 32-bit program reaches it with redirection
// on ("C:\Windows\Sysnative"); empty on 32-bit Windows.
std::string nativeSystemFolderAlias();

// When `path` lies inside the system folder ("C:\Windows\System32\..."): the
// same path inside `folder` instead; empty otherwise. `systemFolder` is the
// system folder's path (GetSystemDirectoryA when empty).
std::string inOtherSystemFolder(const std::string& path, const std::string& folder,
                                const std::string& systemFolder = std::string());

}  // namespace kestrune
