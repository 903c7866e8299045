// The export look-up and the bitness over any bytes: every read stays inside
// the file, their number stays bounded, and bytes in memory are never
// "unreadable".
#include "fuzz_readers.h"

#include "platform/pe_exports.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace kestrune {

namespace {

// The four headers, 65535 sections read 64 at a time, the export directory
// and two reads a step of the 32-step binary search.
const int kMostReads = 4 + 1024 + 1 + 2 * 32;

class CheckedBytes : public ByteSource {
public:
    explicit CheckedBytes(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, void* buffer, std::uint32_t count) const override
    {
        if (offset > bytes_.size() || count > bytes_.size() - offset || ++reads_ > kMostReads)
            std::abort();
        std::memcpy(buffer, bytes_.data() + offset, count);
        return true;
    }

private:
    const std::string& bytes_;
    mutable int reads_ = 0;
};

}  // namespace

void fuzzPeExportsOnce(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "A", ""}) {
        if (peExports(CheckedBytes(bytes), name) == PeExport::Unreadable)
            std::abort();
    }
    peBitness(CheckedBytes(bytes));
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzPeExportsOnce)
