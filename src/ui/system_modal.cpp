// System-modal dialogs in the topmost band.
#include "ui/system_modal.h"

namespace kestrune {

void keepSystemModalOnTop(HWND dialog)
{
    if ((GetWindowLongA(dialog, GWL_STYLE) & DS_SYSMODAL) == 0)
        return;
    if ((GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
        return;
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace kestrune
