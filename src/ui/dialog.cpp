// Dialog: the dialog procedure shared by every dialog.
#include "ui/dialog.h"

namespace kestrune {

INT_PTR Dialog::runModal(int templateId, HWND owner)
{
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                           dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        try {
            return reinterpret_cast<Dialog*>(lParam)->onInitDialog(dialog);
        } catch (...) {
            EndDialog(dialog, -1);
            return TRUE;
        }
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace kestrune
