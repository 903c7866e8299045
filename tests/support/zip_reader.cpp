// The tests' zip reader: minizip's own reader, which checks every entry's
// CRC-32 as it reads it to the end.
#include "support/zip_reader.h"

#include <minizip/unzip.h>

namespace kestrune {
namespace testing_support {

namespace {

bool readEntry(unzFile zip, ZipEntry& entry)
{
    unz_file_info info;
    char name[1024];
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    entry.name = name;
    entry.method = static_cast<int>(info.compression_method);
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return false;
    char piece[4096];
    int read = 0;
    while ((read = unzReadCurrentFile(zip, piece, sizeof piece)) > 0)
        entry.data.append(piece, static_cast<size_t>(read));
    const int closed = unzCloseCurrentFile(zip);
    entry.crcMatches = read == 0 && closed == UNZ_OK;
    return read == 0 && (closed == UNZ_OK || closed == UNZ_CRCERROR);
}

}  // namespace

bool readZip(const std::string& path, std::vector<ZipEntry>& entries)
{
    entries.clear();
    unzFile zip = unzOpen(path.c_str());
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
        ZipEntry entry;
        if (!readEntry(zip, entry)) {
            ok = false;
            break;
        }
        entries.push_back(entry);
    }
    return unzClose(zip) == UNZ_OK && ok;
}

std::vector<std::string> zipEntryNames(const std::string& path)
{
    std::vector<ZipEntry> entries;
    std::vector<std::string> names;
    if (!readZip(path, entries))
        return names;
    for (const ZipEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

}  // namespace testing_support
}  // namespace kestrune
