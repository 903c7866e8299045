// Tool tips for single controls of a dialog.
#include "ui/tool_tip.h"

#include <commctrl.h>

namespace kestrune {

HWND addToolTip(HWND dialog, int id, const std::string& text)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr)
        return nullptr;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                               nullptr, instance, nullptr);
    if (tip == nullptr)
        return nullptr;
    TOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    return tip;
}

}  // namespace kestrune
