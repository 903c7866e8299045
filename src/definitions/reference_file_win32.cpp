// loadReferenceFile: the whole-file read with no sharing, then the text layers.
#include "definitions/reference_file.h"

#include "definitions/reference_text.h"
#include "platform/handles.h"
#include "platform/wide_paths.h"

#include <cstdio>
#include <stdexcept>

namespace kestrune {

bool readWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    ScopedHandle file(openFileAt(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
    if (!file.valid())
        return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file.get(), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low > 0x7FFFFFF0u)
        return false;
    try {
        bytes.resize(low);
    } catch (const std::exception&) {   // bad_alloc, length_error
        return false;
    }
    DWORD total = 0;
    while (total < low) {
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[total], low - total, &got, nullptr)) {
            std::string().swap(bytes);
            return false;
        }
        if (got == 0)
            break;
        total += got;
    }
    bytes.resize(total);
    if (!file.reset()) {
        std::string().swap(bytes);
        return false;
    }
    return true;
}

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
    identity.name = path.substr(path.find_last_of('\\') + 1);
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
