// Shell starts and the cookies folder.
#include "platform/shell.h"

#include "platform/system_text.h"

#include <shellapi.h>
#include <shlobj.h>

namespace kestrune {

bool launchProgram(const std::string& file, const std::string& parameters)
{
    HINSTANCE result = ShellExecuteA(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr,
                                     SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) >= 32;
}

bool launchProgram(const std::string& file, const std::string& parameters, ScopedHandle& process)
{
    process.reset();
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info))
        return false;
    process.reset(info.hProcess);
    return true;
}

std::string cookiesFolder()
{
    return shellFolderPath(CSIDL_COOKIES);
}

}  // namespace kestrune
