// The real message boxes and the application title.
#include "platform/message_boxes.h"

namespace kestrune {

int SystemMessageBoxes::show(HWND owner, const std::string& text, const std::string& caption,
                             UINT style)
{
    return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

std::string applicationTitle()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer)
        return std::string();
    std::string path(buffer, n);
    std::string::size_type slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string::size_type dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

int showPlainMessage(MessageBoxes& boxes, HWND owner, const std::string& text)
{
    return boxes.show(owner, text, applicationTitle(), MB_OK);
}

}  // namespace kestrune
