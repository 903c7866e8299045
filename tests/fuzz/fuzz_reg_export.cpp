// The body of the registry export fuzz target, shared with the regression test.
#include "fuzz_reg_export.h"

#include "platform/reg_export.h"

#include <cstdlib>
#include <string>

namespace kestrune {

namespace {

void readOnce(const std::string& bytes)
{
    RegExport parsed;
    std::string fault;
    const bool read = readRegExport(bytes, nullptr, parsed, fault);
    // A refused file says why and keeps nothing; a read one has no fault.
    if (read == fault.empty() && (read || parsed.keys.empty()))
        return;
    std::abort();
}

}  // namespace

void fuzzRegExportOnce(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    readOnce(bytes);
    readOnce("\xff\xfe" + bytes);
}

}  // namespace kestrune
