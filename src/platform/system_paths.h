// What the system makes of a path: its full form, its long spelling, and
// where an existing path really leads once every link, junction and short
// name on the way is followed.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// The final path of the existing file or folder `path`, in the system's own
// spelling ("\\?\C:\..."), as GetFinalPathNameByHandle gives it; empty when
// the path cannot be opened or the system cannot tell (before Vista the
// function does not exist).
std::string finalPathOf(const std::string& path);
// The same for the file or folder an open handle stands for.
std::string finalPathOfHandle(HANDLE handle);

// finalPathOf without the "\\?\" (or "\\?\UNC\") the system puts in front:
// "C:\..." or "\\server\share\..."; empty when it cannot be told.
std::string leadsToPath(const std::string& path);

// `path` without a leading "\\?\" ("\\?\UNC\server\..." gives
// "\\server\..."); any other path unchanged.
std::string plainFormOf(const std::string& path);

// True when the system can tell final paths (finalPathOf can answer).
bool systemResolvesPaths();

// `path` made absolute by GetFullPathName (relative parts resolved against
// the current folder, "." and ".." parts and forward slashes cleaned up);
// empty when the system refuses it.
std::string fullPathOf(const std::string& path);

// The long spelling of the existing `path` (GetLongPathName); empty when it
// does not exist or cannot be spelled out.
std::string longPathOf(const std::string& path);

}  // namespace kestrune
