// The tests' view of a zip archive: every entry read whole through minizip's
// reader (not the writer under test).
#pragma once

#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

struct ZipEntry {
    std::string name;
    int method = -1;          // 8 for deflate
    std::string data;         // the inflated bytes
    bool crcMatches = false;  // the stored CRC-32 equals that of `data`
};

// Reads every entry of the archive at `path` in central-directory order.
// False when the file cannot be read or is not a well-formed archive.
bool readZip(const std::string& path, std::vector<ZipEntry>& entries);

// The names of the entries, in order; empty when the archive cannot be read.
std::vector<std::string> zipEntryNames(const std::string& path);

}  // namespace testing_support
}  // namespace kestrune
