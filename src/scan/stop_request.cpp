// The process-wide stop request of the scans.
#include "scan/stop_request.h"

namespace kestrune {

std::atomic<bool> stopRequested{false};

}  // namespace kestrune
