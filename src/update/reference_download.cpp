// Downloading and installing a reference file.
#include "update/reference_download.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "platform/text_compare.h"
#include "settings/settings_store.h"

#include <windows.h>
#include <urlmon.h>

namespace kestrune {

std::string temporaryDownloadPath(const std::string& target)
{
    return target + ".download";
}

DownloadOutcome installReferenceFile(const std::string& downloaded, const std::string& target)
{
    ParasiteList scratch;
    if (!loadReferenceFile(downloaded, scratch) || scratch.count() == 0) {
        DeleteFileA(downloaded.c_str());
        return DownloadOutcome::NotValid;
    }
    const std::string previous = referenceFilePath();
    if (!MoveFileExA(downloaded.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        DeleteFileA(downloaded.c_str());
        return DownloadOutcome::NotInstalled;
    }
    writeSetting(kSettingReferenceFile, target);
    writeSetting(kSettingDefinitionsName, fileNameOf(target));
    std::string now;
    readSetting(kSettingReferenceFile, now);
    if (!previous.empty() && !sameText(now, previous))
        DeleteFileA(previous.c_str());
    return DownloadOutcome::Installed;
}

DownloadOutcome downloadReferenceFile(const std::string& url, const std::string& target)
{
    const std::string temporary = temporaryDownloadPath(target);
    DeleteFileA(temporary.c_str());
    // URLDownloadToFileA also reports success for an error page (Wine saves
    // a 404 answer's body), so the file's content decides, not this result.
    HRESULT result = URLDownloadToFileA(nullptr, url.c_str(), temporary.c_str(), 0, nullptr);
    if (result != S_OK || GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(temporary.c_str());
        return DownloadOutcome::DownloadFailed;
    }
    return installReferenceFile(temporary, target);
}

}  // namespace kestrune
