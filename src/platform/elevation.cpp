// The elevation check and the start with administrator rights.
#include "platform/elevation.h"

#include "platform/handles.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace kestrune {

const char kAssumeNotAdminVariable[] = "KESTRUNE_ASSUME_NOT_ADMIN";

namespace {

// Membership of the Administrators group, the answer before Vista. On Vista
// and later a filtered token lists the group for deny only and is refused
// here too.
bool memberOfAdministrators()
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                  0, 0, 0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member))
        member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

bool tokenElevated()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    ScopedHandle token(raw);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return elevation.TokenIsElevated != 0;
    return memberOfAdministrators();
}

bool decideElevated()
{
    const char* assumed = std::getenv(kAssumeNotAdminVariable);
    if (assumed != nullptr && std::strcmp(assumed, "1") == 0)
        return false;
    return tokenElevated();
}

}  // namespace

bool isElevated()
{
    static const bool elevated = decideElevated();
    return elevated;
}

bool launchElevated(HWND owner, const std::string& file, const std::string& parameters)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = "runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

}  // namespace kestrune
