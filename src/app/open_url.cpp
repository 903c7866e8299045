// openUrl with its fallback through the ".htm" class.
#include "app/open_url.h"

#include "platform/handles.h"

#include <windows.h>
#include <shellapi.h>

namespace kestrune {

namespace {

// The default value of `path` under HKEY_CLASSES_ROOT, read into 260 bytes.
bool readClassesDefault(const std::string& path, std::string& value)
{
    char buffer[MAX_PATH] = "";
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, path.c_str(), buffer, &size) != ERROR_SUCCESS)
        return false;
    value.assign(buffer);
    return true;
}

}  // namespace

std::string browserCommandLine(const std::string& command, const std::string& url)
{
    std::string line = command;
    std::string::size_type cut = line.find("\"%1\"");
    if (cut == std::string::npos)
        cut = line.find("%1");
    if (cut != std::string::npos)
        line.erase(cut);
    return line + " " + url;
}

int openUrl(const std::string& url, int showMode)
{
    HINSTANCE shell = ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, showMode);
    int result = static_cast<int>(reinterpret_cast<INT_PTR>(shell));
    if (result > 32)
        return result;
    std::string pageClass;
    if (!readClassesDefault(".htm", pageClass))
        return result;
    std::string command;
    if (!readClassesDefault(pageClass + "\\shell\\open\\command", command))
        return result;
    std::string line = browserCommandLine(command, url);
    return WinExec(line.c_str(), static_cast<UINT>(showMode)) > 31 ? 33 : result;
}

}  // namespace kestrune
