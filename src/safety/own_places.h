// Kestrune's own places as the settings and the running program name them,
// for ProtectedPlaces::forThisMachine.
#pragma once

#include "safety/protected_places.h"

namespace kestrune {

// The program folder and file (programFolder(), programPath()), the reference
// file of the settings ("rfp", as the one in use and as the settings' own), the log folder ("lfp"), the backup folder
// "KestruneBackup" in the data folder, the temporary backup folder
// "KestruneBackup" in the temporary folder, both places of Kestrune's own
// files (dataFolders()), and the settings key. A place that cannot be read
// stays empty. Reads the settings: window thread only.
OwnPlaces ownPlacesFromSettings();

}  // namespace kestrune
