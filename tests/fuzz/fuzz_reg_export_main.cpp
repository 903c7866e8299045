// libFuzzer entry point for the regedit export reader.
#include "fuzz_reg_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kestrune::fuzzRegExportOnce(data, size);
    return 0;
}
