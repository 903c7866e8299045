// The version check against the update server.
#include "update/version_check.h"

#include "platform/text_compare.h"
#include "settings/settings_store.h"
#include "update/http_fetch.h"
#include "update/update_server.h"
#include "update/version_page.h"

namespace kestrune {

namespace {

std::string trimmedText(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

VersionCheck checkVersionPage(std::string& fileName, TransferCancel* cancel)
{
    std::string installed;
    readSetting(kSettingDefinitionsName, installed);
    std::string page;
    if (!fetchPage(versionPageUrl(), page, true, cancel))
        return VersionCheck::NoAnswer;
    page = trimmedText(page);
    if (!isSafeReferenceFileName(page))
        return VersionCheck::RefusedName;
    fileName = page;
    return sameText(page, installed) ? VersionCheck::SameName : VersionCheck::Newer;
}

}  // namespace kestrune
