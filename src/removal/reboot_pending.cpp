// The rebootPending flag.
#include "removal/reboot_pending.h"

namespace kestrune {

std::atomic<bool> rebootPending(false);

}  // namespace kestrune
