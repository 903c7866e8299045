// WOW64 detection and the file-system redirection scope.
#include "platform/fs_redirection.h"

#include <windows.h>

namespace kestrune {

bool runningOnWow64()
{
    static const bool wow64 = [] {
        BOOL result = FALSE;
        return IsWow64Process(GetCurrentProcess(), &result) && result;
    }();
    return wow64;
}

ScopedFsRedirectionOff::ScopedFsRedirectionOff()
{
    if (runningOnWow64())
        active_ = Wow64DisableWow64FsRedirection(&oldValue_) != FALSE;
}

ScopedFsRedirectionOff::~ScopedFsRedirectionOff()
{
    if (active_)
        Wow64RevertWow64FsRedirection(oldValue_);
}

}  // namespace kestrune
