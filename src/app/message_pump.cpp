// The message pump and the wait that pumps.
#include "app/message_pump.h"

namespace kestrune {

void pumpMessages(const MessageFilter& filter)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (filter && filter(msg))
            continue;
        if (msg.hwnd != nullptr && IsDialogMessageA(msg.hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool waitWhilePumping(HANDLE object, DWORD timeout, const MessageFilter& filter)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // Whatever is queued now is dispatched first: the wait below wakes
        // only for messages that arrive after the queue was last looked at.
        pumpMessages(filter);
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed >= timeout ? 0 : timeout - elapsed;
        // A quit request stays queued for the modal loop that owns it; from
        // then on the wait no longer dispatches, or it would wake at once
        // again and again.
        MSG quit;
        if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
            return WaitForSingleObject(object, left) == WAIT_OBJECT_0;
        DWORD result = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1 || left == 0)
            return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
    }
}

}  // namespace kestrune
