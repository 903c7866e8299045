// The console tool's judge of reference-file items against the protected
// places, for "defs check": an item that names a protected place or holds a
// refused text gets a warning at its line.
#pragma once

#include "definitions/definitions_check.h"
#include "safety/protected_places.h"

namespace kestrune {
namespace cli {

// The judge asks `places`, which must outlive it.
ItemJudge protectedItemJudge(const ProtectedPlaces& places);

}  // namespace cli
}  // namespace kestrune
