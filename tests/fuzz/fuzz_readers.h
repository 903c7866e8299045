// The bodies of the fuzz targets for the readers of outside input beyond the
// reference file: each takes one input, reads it as its reader does and checks
// what every reading must hold. Shared by the libFuzzer targets and the
// regression test, which runs the kept inputs of tests/fuzz/<target>/.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

void fuzzManifestOnce(const uint8_t* data, size_t size);      // Manifest.ini of a backup
void fuzzPeExportsOnce(const uint8_t* data, size_t size);     // a DLL's export names
void fuzzPemOnce(const uint8_t* data, size_t size);           // PEM keys and PKCS#8 DER
void fuzzIgnoreEntryOnce(const uint8_t* data, size_t size);   // an ignore-list value's text
void fuzzVersionPageOnce(const uint8_t* data, size_t size);   // the update's version page

}  // namespace kestrune

// The libFuzzer entry point of a target built from one of the bodies' files
// (compiled with KESTRUNE_FUZZ_ENTRY for the target only).
#ifdef KESTRUNE_FUZZ_ENTRY
#define KESTRUNE_FUZZ_TARGET(body)                                                                 \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)                        \
    {                                                                                              \
        kestrune::body(data, size);                                                                \
        return 0;                                                                                  \
    }
#else
#define KESTRUNE_FUZZ_TARGET(body)
#endif
