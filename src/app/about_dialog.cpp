// AboutDialog.
#include "app/about_dialog.h"

#include "app/open_url.h"
#include "definitions/reference_file.h"
#include "platform/paths.h"
#include "platform/resource_strings.h"
#include "settings/settings_store.h"

#include "resource.h"

namespace kestrune {

namespace {

// The link text: the address without its scheme.
std::string withoutScheme(const std::string& url)
{
    for (const char* scheme : {"http://", "mailto:"}) {
        std::string prefix = scheme;
        if (url.compare(0, prefix.size(), prefix) == 0)
            return url.substr(prefix.size());
    }
    return url;
}

}  // namespace

void referenceFileLines(const std::string& path, std::string& name, std::string& details)
{
    ReferenceFileIdentity identity;
    if (path.empty()) {
        name = "none";
        details.clear();
    } else if (!readReferenceFileIdentity(path, identity)) {
        name = baseNameOf(path);
        details = "cannot be loaded";
    } else {
        name = identity.name;
        details = (identity.date.empty() ? std::string() : "of " + identity.date + ", ") +
                  std::to_string(identity.parasites) +
                  (identity.parasites == 1 ? " parasite" : " parasites");
    }
}

INT_PTR AboutDialog::run(HWND owner)
{
    return runModal(IDD_ABOUT, owner);
}

INT_PTR AboutDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (homePage_.onCtlColor(dc, control) || supportMail_.onCtlColor(dc, control)) {
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    }
    }
    return FALSE;
}

INT_PTR AboutDialog::onInitDialog(HWND dialog)
{
    homePageUrl_ = loadResourceString(IDS_HOME_PAGE);
    supportMailUrl_ = loadResourceString(IDS_SUPPORT_MAIL);
    homePage_.attach(dialog, IDC_HOME_PAGE_LINK, withoutScheme(homePageUrl_));
    supportMail_.attach(dialog, IDC_SUPPORT_MAIL_LINK, withoutScheme(supportMailUrl_));
    std::string name;
    std::string details;
    referenceFileLines(referenceFilePath(), name, details);
    SetDlgItemTextA(dialog, IDC_ABOUT_REFERENCE_NAME, name.c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_REFERENCE_DETAILS, details.c_str());
    return TRUE;
}

void AboutDialog::onCommand(int id, int code)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(window_, IDOK);
    } else if (code == STN_CLICKED && id == IDC_HOME_PAGE_LINK) {
        openUrl(homePageUrl_, SW_SHOWNORMAL);
    } else if (code == STN_CLICKED && id == IDC_SUPPORT_MAIL_LINK) {
        openUrl(supportMailUrl_, SW_SHOWNORMAL);
    }
}

}  // namespace kestrune
