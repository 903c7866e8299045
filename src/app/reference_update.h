// The update flows of the main window: runUpdate (the "UPDATE PROTECTION"
// command and the first-run reminder), downloadWithRetry (the download offer
// of the repair loop) and repairReferenceFile (load the reference file and
// repair it when it is missing or damaged). All run on the window thread.
#pragma once

#include "app/update_host.h"

namespace kestrune {

// Checks the update server and, when a newer file is announced, downloads
// it, installs it and reloads the ParasiteList. Refuses with a message while
// a scan thread runs, since the reload would pull the list from under it.
// A download that fails, is not a valid reference file, has no good
// signature or is refused by the release statement changes nothing and is
// reported, a refusal with its reason.
void runUpdate(UpdateHost& host);

// The download offered by the repair loop. True when a reference file was
// installed. A failed check or download asks whether to try again (a refusal
// is reported first, with its reason); false when
// the user declines, or when the server has nothing to download.
bool downloadWithRetry(UpdateHost& host);

// Loads the reference file into the host's ParasiteList; when it is missing
// or yields no parasite, offers Preferences and then a download, and ends the
// host's window when the user gives up.
void repairReferenceFile(UpdateHost& host);

// Three seconds after the first start's window opens: recommends the update;
// Yes runs runUpdate.
void offerFirstRunUpdate(UpdateHost& host);

}  // namespace kestrune
