// The body of the registry export fuzz target, shared with the regression test.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

// Reads `data` as a regedit export, as it is and as the UTF-16 file it
// would be with a byte-order mark put before it.
void fuzzRegExportOnce(const uint8_t* data, size_t size);

}  // namespace kestrune
