// One fuzz input: parse it as markup, walk it as the loader does, and load it
// as a reference file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

void fuzzMarkupOnce(const uint8_t* data, size_t size);

}  // namespace kestrune
