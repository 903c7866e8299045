// rebootPending: the process-wide flag that a removal could only schedule a
// file for deletion at the next restart. The removal sets it; the remove
// command reports and clears it; both scan commands clear it.
#pragma once

#include <atomic>

namespace kestrune {

extern std::atomic<bool> rebootPending;

}  // namespace kestrune
