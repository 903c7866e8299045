// Dialog: what every modal dialog of Kestrune has in common. runModal shows a
// dialog template; the dialog procedure keeps the object in the dialog's
// DWLP_USER and the dialog's window in window_ from WM_INITDIALOG on, and
// hands every message to the object. The procedure is a boundary
// (platform/boundary.h): an exception thrown while the dialog initialises
// ends the dialog with -1, one thrown by a later message leaves that message
// to the dialog manager's default handling (FALSE).
#pragma once

#include <windows.h>

namespace kestrune {

class Dialog {
public:
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

protected:
    Dialog() = default;

    // Shows dialog template `templateId` modally over `owner` (none when
    // null) and runs it until it ends; returns what it ended with, or -1 when
    // it could not be shown.
    INT_PTR runModal(int templateId, HWND owner);

    // WM_INITDIALOG of the dialog window `dialog` (window_ already holds it);
    // what it returns goes back to the dialog manager (TRUE: the default
    // focus).
    virtual INT_PTR onInitDialog(HWND dialog) = 0;
    // Every later message; returns what the dialog procedure returns (FALSE:
    // not handled). Messages that come before WM_INITDIALOG are not handled.
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // The dialog's window from WM_INITDIALOG on; null before. It stays set
    // after the window is gone (IsWindow tells).
    HWND window_ = nullptr;

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace kestrune
