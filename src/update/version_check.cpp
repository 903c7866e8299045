// The version check against the update server.
#include "update/version_check.h"

#include "platform/text_compare.h"
#include "platform/text_trim.h"
#include "settings/settings_store.h"
#include "update/http_fetch.h"
#include "update/update_server.h"
#include "update/version_page.h"

namespace kestrune {

VersionCheck checkVersionPage(std::string& fileName, TransferCancel* cancel)
{
    std::string installed;
    readSetting(kSettingDefinitionsName, installed);
    std::string page;
    if (!fetchPage(versionPageUrl(), page, true, cancel))
        return VersionCheck::NoAnswer;
    page = trimmed(page);
    if (!isSafeReferenceFileName(page))
        return VersionCheck::RefusedName;
    fileName = page;
    return sameText(page, installed) ? VersionCheck::SameName : VersionCheck::Newer;
}

}  // namespace kestrune
