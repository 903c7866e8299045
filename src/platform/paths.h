// Path texts: joining and splitting paths and the listing pattern of a
// folder. Text only; nothing here looks at the disk.
#pragma once

#include <string>

namespace kestrune {

// `folder` joined with `name` by one backslash (none added when `folder`
// already ends with one, or is empty).
std::string joinPath(const std::string& folder, const std::string& name);

// The "*.*" listing pattern of `folder`: trailing blanks removed, a backslash
// added when missing.
std::string listingPattern(const std::string& folder);

// The text after the last "." of the whole path (a dot in a folder name
// counts: "C:\a.b\file" gives "b\file"); empty when there is no dot.
std::string fileExtension(const std::string& path);

// The text after the last backslash; the whole text when there is none.
std::string baseNameOf(const std::string& path);

// The path without its last backslash and what follows ("C:\WINDOWS" for
// "C:\WINDOWS\a.dll", "C:" for "C:\a.dll"); the whole text when it holds no
// backslash.
std::string parentFolderOf(const std::string& path);

}  // namespace kestrune
