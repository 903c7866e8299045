// One fuzz input for the release statement: parse it, and when it parses,
// write it back and judge a file by it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

void fuzzReleaseOnce(const uint8_t* data, size_t size);

}  // namespace kestrune
