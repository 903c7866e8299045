// The real message boxes and the application title.
#include "platform/message_boxes.h"

#include "platform/system_text.h"

namespace kestrune {

int SystemMessageBoxes::show(HWND owner, const std::string& text, const std::string& caption,
                             UINT style)
{
    return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

std::string applicationTitle()
{
    const std::string path = moduleFilePath();
    if (path.empty())
        return std::string();
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
