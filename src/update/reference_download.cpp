// Downloading and installing a reference file.
#include "update/reference_download.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "settings/settings_store.h"
#include "update/http_fetch.h"
#include "update/release_statement.h"
#include "update/signature.h"
#include "update/utc_clock.h"
#include "update/version_page.h"

#include <windows.h>

namespace kestrune {

namespace {

std::uint64_t installedSerial()
{
    std::string text;
    std::uint64_t serial = 0;
    if (!readSetting(kSettingReleaseSerial, text) || !parseDecimal(text, serial))
        return 0;
    return serial;
}

// Fetches the statement beside `url` and its signature; false unless the
// signature is the built-in key's and the text parses.
bool fetchStatement(const std::string& url, const DownloadBounds& bounds,
                    ReleaseStatement& statement)
{
    const std::string folder = url.substr(0, url.rfind('/') + 1);
    std::string text, signature;
    return fetchBody(folder + kReleaseStatementName, kMaxReleaseStatementSize, text,
                     bounds.cancel, bounds.transferMs) &&
           fetchBody(folder + kReleaseSignatureName, kMaxSignatureSize, signature, bounds.cancel,
                     bounds.transferMs) &&
           verifySignature(text, signature, builtInPublicKey()) == SignatureCheck::Good &&
           parseReleaseStatement(text, statement);
}

DownloadOutcome judged(const ReleaseStatement& statement, const std::string& name,
                       const std::string& bytes)
{
    std::string hash;
    if (!sha256Hex(bytes, hash))
        return DownloadOutcome::NotTheRelease;
    switch (judgeRelease(statement, name, hash, bytes.size(), installedSerial(), todayUtc())) {
    case ReleaseJudgement::Good:
        return DownloadOutcome::Installed;
    case ReleaseJudgement::Mismatch:
        return DownloadOutcome::NotTheRelease;
    case ReleaseJudgement::Older:
        return DownloadOutcome::OlderRelease;
    case ReleaseJudgement::Expired:
        return DownloadOutcome::ExpiredRelease;
    }
    return DownloadOutcome::NotTheRelease;
}

}  // namespace

bool isOldDownload(const std::string& previous, const std::string& target)
{
    if (previous.empty() || sameText(previous, target) ||
        !sameText(folderPartOf(previous), folderPartOf(target)) ||
        !isSafeReferenceFileName(fileNameOf(previous)))
        return false;
    const DWORD attributes = attributesOf(previous);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

std::string temporaryDownloadPath(const std::string& target)
{
    return target + ".download";
}

DownloadOutcome installReferenceFile(const std::string& downloaded, const std::string& target,
                                     std::uint64_t serial)
{
    ParasiteList scratch;
    if (!loadReferenceFile(downloaded, scratch) || scratch.count() == 0) {
        deleteFileAt(downloaded);
        return DownloadOutcome::NotValid;
    }
    const std::string previous = referenceFilePath();
    if (!moveFileAt(downloaded, target,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        deleteFileAt(downloaded);
        return DownloadOutcome::NotInstalled;
    }
    writeSetting(kSettingReferenceFile, target);
    writeSetting(kSettingDefinitionsName, fileNameOf(target));
    writeSetting(kSettingReleaseSerial, std::to_string(serial));
    std::string now;
    readSetting(kSettingReferenceFile, now);
    if (!sameText(now, previous) && isOldDownload(previous, now))
        deleteFileAt(previous);
    return DownloadOutcome::Installed;
}

DownloadOutcome downloadReferenceFile(const std::string& url, const std::string& target,
                                      const DownloadBounds& bounds)
{
    const std::string name = fileNameOf(target);
    if (!isSafeReferenceFileName(name))
        return DownloadOutcome::DownloadFailed;
    const std::string temporary = temporaryDownloadPath(target);
    deleteFileAt(temporary);
    std::string bytes;
    if (!fetchBody(url, bounds.maxSize, bytes, bounds.cancel, bounds.transferMs))
        return DownloadOutcome::DownloadFailed;
    // Nothing of the file is written or loaded before its signature is good.
    std::string signature;
    if (!fetchBody(url + ".sig", kMaxSignatureSize, signature, bounds.cancel, bounds.transferMs) ||
        verifySignature(bytes, signature, builtInPublicKey()) != SignatureCheck::Good)
        return DownloadOutcome::BadSignature;
    // The release statement says which file this release is: a signed older
    // file served again (a rollback) or one whose statement has expired (a
    // server frozen on an old release) is refused.
    ReleaseStatement statement;
    if (!fetchStatement(url, bounds, statement))
        return DownloadOutcome::NoStatement;
    const DownloadOutcome judgement = judged(statement, name, bytes);
    if (judgement != DownloadOutcome::Installed)
        return judgement;
    const auto writeAndInstall = [&] {
        if (!writeWholeFile(temporary, bytes)) {
            deleteFileAt(temporary);
            return DownloadOutcome::DownloadFailed;
        }
        return installReferenceFile(temporary, target, statement.serial);
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
