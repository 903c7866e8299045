// What a backup that never ended leaves behind, and how the next one clears
// it: each run copies into a folder of its own inside the temporary backup
// folder, named after its process (id and start time), and writes its
// archive as "NAME.zip.partial" until the archive is whole. A later backup
// removes every run folder whose process no longer lives (and anything else
// loose in the temporary folder) and every ".partial" of the archive folder
// that nothing holds open, so no copy of a parasite lingers. Window thread
// only.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// The ending of an archive being written.
extern const char kPartialSuffix[];

// "run-<process id>-<start time as 16 hex digits>".
std::string runFolderName(DWORD processId, const FILETIME& started);
// The folder of this process's run inside `backupFolder`.
std::string thisRunFolder(const std::string& backupFolder);

// True when `name` is a run folder name whose process still lives (same id,
// same start time).
bool runFolderLives(const std::string& name);

// Removes `path` with everything inside it, dot names included; links are
// left (and so is the folder around them). True when the path is gone.
bool removeWholeTree(const std::string& path);

// Empties `backupFolder` of everything but the folders of runs that live;
// the folder itself stays. What cannot be removed (held open) stays too.
void clearDeadRuns(const std::string& backupFolder);

// Deletes every "*.zip.partial" of `archiveFolder`; one a live backup holds
// open stays.
void removeLeftoverPartials(const std::string& archiveFolder);

}  // namespace kestrune
