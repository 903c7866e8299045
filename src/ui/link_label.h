// LinkLabel: a static text (SS_NOTIFY) drawn as a hyperlink, blue and
// underlined, with the hand cursor. The owner handles its STN_CLICKED and
// colours it through onCtlColor.
#pragma once

#include "platform/gui_handles.h"

#include <windows.h>

#include <string>

namespace kestrune {

class LinkLabel {
public:
    LinkLabel() = default;
    virtual ~LinkLabel();
    LinkLabel(const LinkLabel&) = delete;
    LinkLabel& operator=(const LinkLabel&) = delete;

    // Takes control `id` of `dialog`, shows `text` in it, and gives it an
    // underlined copy of the dialog's font. False when the control is missing.
    bool attach(HWND dialog, int id, const std::string& text);
    HWND hwnd() const { return label_; }

    // For the owner's WM_CTLCOLORSTATIC: true when `control` is this label;
    // the text colour is then set on `dc`.
    bool onCtlColor(HDC dc, HWND control) const;

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam, UINT_PTR id, DWORD_PTR self);

    HWND label_ = nullptr;
    ScopedFont font_;
};

}  // namespace kestrune
