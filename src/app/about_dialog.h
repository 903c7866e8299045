// AboutDialog (IDD_ABOUT): product name and version, links to the home page
// and the support mail address, a notice and an OK button.
#pragma once

#include "ui/link_label.h"

#include <windows.h>

#include <string>

namespace kestrune {

class AboutDialog {
public:
    AboutDialog() = default;
    virtual ~AboutDialog() = default;
    AboutDialog(const AboutDialog&) = delete;
    AboutDialog& operator=(const AboutDialog&) = delete;

    // Shows the dialog modally over `owner`; returns IDOK, or -1 when it could
    // not be shown.
    INT_PTR run(HWND owner);

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR onInitDialog(HWND dialog);
    void onCommand(int id, int code);

    HWND dialog_ = nullptr;
    LinkLabel homePage_;
    LinkLabel supportMail_;
    std::string homePageUrl_;
    std::string supportMailUrl_;
};

}  // namespace kestrune
