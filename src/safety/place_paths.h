// Paths as the protected places compare them: the test for a plain "X:\..."
// path, and the comparable forms of a path (the full, long spelling with
// trailing dots and blanks of each part removed, and, for a path that exists,
// the place it really leads to), folded to one case. Nothing here is stored;
// every call asks the file system afresh. Safe on any thread.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

// True when `path` begins with a drive letter, a colon and a backslash (or a
// slash), holds no further colon, no wildcard or other character a file name
// cannot hold ('*', '?', '"', '<', '>', '|') and no control character.
// "\\?\", "\\.\", UNC, relative and "C:x" paths are not plain.
bool plainPathText(const std::string& path);

// The comparable forms of `path`, each folded (foldedText), without trailing
// backslash (a drive root keeps its "x:\"): first the full, long spelling;
// then, when the path exists and leads elsewhere (a link on the way), the
// place it leads to. Empty when the path is not plain, or when the system
// turns it into something that is not plain (a device name such as "con").
std::vector<std::string> comparablePaths(const std::string& path);

// comparablePaths into `forms`; true when the path exists and where it leads
// could be told, so that `forms` holds every place the path reaches.
bool comparablePathsResolved(const std::string& path, std::vector<std::string>& forms);

// Where the existing `path` leads with every link followed, as a comparable
// form (folded, without trailing backslash); empty when it cannot be told.
std::string finalComparablePath(const std::string& path);

}  // namespace kestrune
