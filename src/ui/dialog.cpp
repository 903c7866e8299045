// Dialog: the dialog procedure shared by every dialog.
#include "ui/dialog.h"

#include "platform/boundary.h"

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
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->window_ = dialog;
        return guarded(
            "dialog procedure", [&] { return self->onInitDialog(dialog); },
            [&]() -> INT_PTR {
                EndDialog(dialog, -1);
                return TRUE;
            });
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    return dialogBoundary("dialog procedure",
                          [&] { return self->handleMessage(message, wParam, lParam); });
}

}  // namespace kestrune
