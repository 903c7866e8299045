// libFuzzer entry point for the markup parser and reference-file loader.
#include "fuzz_markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kestrune::fuzzMarkupOnce(data, size);
    return 0;
}
