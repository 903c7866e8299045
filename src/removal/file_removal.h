// Removal of the selected files and folders. A file that cannot be deleted
// now is scheduled for deletion at the next restart (which sets
// rebootPending); a folder that is still there afterwards is logged as
// FAILED TO DELETE. Window thread only.
#pragma once

#include "removal/removal_run.h"

#include <string>

namespace kestrune {

// A first pass over every parasite's selected files, in list order, ends the
// programs among them (".exe", by full path) and unregisters the components
// (".dll", ".ocx"); a second pass does both again for each file and deletes
// it. Each pass, and the folder pass, reads the process list once
// (ProgramStopper). Then, for every parasite, each selected folder: its
// programs are stopped (stopFolderPrograms) and its tree deleted, except the
// protected files and folders inside it (told to the report as placeKept),
// which leave the folder FAILED TO DELETE. Items that pathItemRefused
// refuses (a refused text, a protected place) are not touched at all and are
// logged as FAILED TO DELETE; so is a folder that holds an ignored file or
// folder (RemovalRun::ignored), with RemovalOutcome::ignoredInside naming it.
void removeFileItems(ParasiteList& parasites, RemovalRun& run);

// `path`, a backslash and `name`: where a file or folder item is.
std::string itemFullPath(const std::string& path, const std::string& name);

// True when a file or folder item can name what is to be removed: `name` and
// `path` are not empty and `name` holds no "." or ".." component.
bool itemPathUsable(const std::string& path, const std::string& name);

// True when nothing exists at `path` any more. An entry whose attributes
// cannot be read for another reason (access denied) counts as present.
bool entryGone(const std::string& path);
// True when no folder is at `path` (nothing, or a file).
bool folderGone(const std::string& path);

// Deletes one file: DeleteFile, then a look whether the file is gone
// (whatever DeleteFile answered), and when it is still there, MoveFileEx
// with MOVEFILE_DELAY_UNTIL_REBOOT. Deleted when the file is gone (also when
// it never existed; a read-only file loses that attribute first), Scheduled
// when the restart will delete it (rebootPending is set), Failed when
// neither worked.
RemovalResult deleteOrSchedule(const std::string& fullPath);

}  // namespace kestrune
