// The event an update writes when its download has ended: the reference file
// installed, or the update refused with the reason.
#pragma once

#include "update/reference_download.h"

#include <string>

namespace kestrune {

// Writes KESTRUNE_EVENT_UPDATE_INSTALLED (Information) naming `target` when
// `outcome` is Installed, and KESTRUNE_EVENT_UPDATE_REFUSED (Warning) naming
// `target` and the reason otherwise. A download the user cancelled is no
// refusal: its owner writes no event for it. Never throws.
void writeUpdateEvent(DownloadOutcome outcome, const std::string& target);

}  // namespace kestrune
