// AboutDialog (IDD_ABOUT): product name and version, links to the home page
// and the support mail address, the reference file of the settings (its name,
// date and number of parasites), a notice and an OK button.
#pragma once

#include "ui/dialog.h"
#include "ui/link_label.h"

#include <windows.h>

#include <string>

namespace kestrune {

// The two lines About shows for the reference file at `path`: its name, and
// "of YYYY-MM-DD, N parasites"; "none" and an empty line when `path` is
// empty; the name and "cannot be loaded" when the file does not load.
void referenceFileLines(const std::string& path, std::string& name, std::string& details);

class AboutDialog : public Dialog {
public:
    AboutDialog() = default;

    // Shows the dialog modally over `owner`; returns IDOK, or -1 when it could
    // not be shown.
    INT_PTR run(HWND owner);

private:
    INT_PTR onInitDialog(HWND dialog) override;
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onCommand(int id, int code);

    LinkLabel homePage_;
    LinkLabel supportMail_;
    std::string homePageUrl_;
    std::string supportMailUrl_;
};

}  // namespace kestrune
