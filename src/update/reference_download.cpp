// Downloading and installing a reference file.
#include "update/reference_download.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "platform/text_compare.h"
#include "platform/handles.h"
#include "settings/settings_store.h"
#include "update/http_fetch.h"
#include "update/signature.h"

#include <windows.h>

namespace kestrune {

namespace {

bool writeNewFile(const std::string& path, const std::string& bytes)
{
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() && file.reset();
}

}  // namespace

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

DownloadOutcome downloadReferenceFile(const std::string& url, const std::string& target,
                                      const DownloadBounds& bounds)
{
    const std::string temporary = temporaryDownloadPath(target);
    DeleteFileA(temporary.c_str());
    std::string bytes;
    if (!fetchBody(url, bounds.maxSize, bytes, bounds.cancel, bounds.transferMs))
        return DownloadOutcome::DownloadFailed;
    // Nothing of the file is written or loaded before its signature is good.
    std::string signature;
    if (!fetchBody(url + ".sig", kMaxSignatureSize, signature, bounds.cancel, bounds.transferMs) ||
        verifySignature(bytes, signature, builtInPublicKey()) != SignatureCheck::Good)
        return DownloadOutcome::BadSignature;
    const auto writeAndInstall = [&] {
        if (!writeNewFile(temporary, bytes)) {
            DeleteFileA(temporary.c_str());
            return DownloadOutcome::DownloadFailed;
        }
        return installReferenceFile(temporary, target);
    };
    if (bounds.cancel == nullptr)
        return writeAndInstall();
    // A cancel either comes before the file is written, or waits until it
    // is installed or refused.
    DownloadOutcome outcome = DownloadOutcome::DownloadFailed;
    bounds.cancel->runUnlessCancelled([&] {
        outcome = writeAndInstall();
        return true;
    });
    return outcome;
}

}  // namespace kestrune
