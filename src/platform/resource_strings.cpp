// Texts of the running program's string table.
#include "platform/resource_strings.h"

#include <windows.h>

namespace kestrune {

std::string loadResourceString(unsigned id)
{
    // With a zero-length buffer LoadStringW hands back a pointer to the
    // resource's own text and its length, so no size limit applies.
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleA(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &result[0], bytes, nullptr, nullptr);
    return result;
}

}  // namespace kestrune
