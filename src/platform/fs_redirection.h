// File-system redirection of a 32-bit program on 64-bit Windows: whether this
// process runs under WOW64, and a scope in which this thread sees the real
// System32 rather than SysWOW64.
#pragma once

namespace kestrune {

// True when this 32-bit process runs on 64-bit Windows (IsWow64Process);
// false on 32-bit Windows and when the system does not answer. Asked once.
bool runningOnWow64();

// Turns the file-system redirection of the calling thread off for its
// lifetime (Wow64DisableWow64FsRedirection) and back on when it ends
// (Wow64RevertWow64FsRedirection). Does nothing when not on WOW64. Keep the
// scope narrow: no DLL may be loaded inside it.
class ScopedFsRedirectionOff {
public:
    ScopedFsRedirectionOff();
    ~ScopedFsRedirectionOff();
    ScopedFsRedirectionOff(const ScopedFsRedirectionOff&) = delete;
    ScopedFsRedirectionOff& operator=(const ScopedFsRedirectionOff&) = delete;

    // True when redirection is off in this scope.
    bool active() const { return active_; }

private:
    void* oldValue_ = nullptr;
    bool active_ = false;
};

}  // namespace kestrune
