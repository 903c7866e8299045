// The tests' zip reader over zlib's inflate.
#include "support/zip_reader.h"

#include "support/temp_folder.h"

#include <zlib.h>

#include <cstdint>

namespace kestrune {
namespace testing_support {

namespace {

uint32_t read16(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

uint32_t read32(const std::string& b, size_t at)
{
    return read16(b, at) | read16(b, at + 2) << 16;
}

bool inflateRaw(const std::string& in, size_t size, std::string& out)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream.avail_in = static_cast<uInt>(size);
    char buffer[4096];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

}  // namespace

bool readZip(const std::string& path, std::vector<ZipEntry>& entries)
{
    entries.clear();
    std::string bytes = readTextFile(path);
    if (bytes.size() < 22)
        return false;
    size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos || end + 22 > bytes.size())
        return false;
    uint32_t count = read16(bytes, end + 10);
    size_t at = read32(bytes, end + 16);
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > bytes.size() || read32(bytes, at) != 0x02014b50)
            return false;
        ZipEntry entry;
        entry.method = static_cast<int>(read16(bytes, at + 10));
        uint32_t crc = read32(bytes, at + 16);
        uint32_t packed = read32(bytes, at + 20);
        uint32_t nameLength = read16(bytes, at + 28);
        uint32_t extraLength = read16(bytes, at + 30);
        uint32_t commentLength = read16(bytes, at + 32);
        uint32_t local = read32(bytes, at + 42);
        entry.name = bytes.substr(at + 46, nameLength);
        if (local + 30 > bytes.size() || read32(bytes, local) != 0x04034b50)
            return false;
        size_t data = local + 30 + read16(bytes, local + 26) + read16(bytes, local + 28);
        if (data + packed > bytes.size())
            return false;
        std::string stored = bytes.substr(data, packed);
        if (entry.method == 8) {
            if (!inflateRaw(stored, packed, entry.data))
                return false;
        } else if (entry.method == 0) {
            entry.data = stored;
        } else {
            return false;
        }
        uLong actual = crc32(0L, reinterpret_cast<const Bytef*>(entry.data.data()),
                             static_cast<uInt>(entry.data.size()));
        entry.crcMatches = actual == crc;
        entries.push_back(entry);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

std::vector<std::string> zipEntryNames(const std::string& path)
{
    std::vector<ZipEntry> entries;
    std::vector<std::string> names;
    if (readZip(path, entries)) {
        for (const ZipEntry& entry : entries)
            names.push_back(entry.name);
    }
    return names;
}

}  // namespace testing_support
}  // namespace kestrune
