// loadReferenceFile: the whole file read with no sharing, then the text layers.
#include "definitions/reference_file.h"

#include "definitions/reference_text.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "platform/wide_paths.h"

#include <cstdio>

namespace kestrune {

bool loadReferenceFile(const std::string& path, ParasiteList& list, std::string* errorText)
{
    if (errorText)
        errorText->clear();
    std::string raw;
    if (!readWholeFile(path, raw))
        return false;
    return loadReferenceBytes(std::move(raw), list, systemFolders(), errorText);
}

bool readReferenceFileIdentity(const std::string& path, ReferenceFileIdentity& identity)
{
    ParasiteList parasites;
    if (path.empty() || !loadReferenceFile(path, parasites))
        return false;
    identity = ReferenceFileIdentity();
    identity.path = path;
    identity.name = baseNameOf(path);
    identity.parasites = parasites.count();
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    SYSTEMTIME time;
    if (attributeDataOf(path, &data) &&
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        FileTimeToSystemTime(&local, &time)) {
        char date[16];
        std::snprintf(date, sizeof date, "%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
        identity.date = date;
    }
    return true;
}

}  // namespace kestrune
