// Files and folders for the file-system tests: a fresh work folder per test
// and small helpers to make and inspect entries.
#pragma once

#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

// A fresh, empty folder C:\kestrune-work\<name>; whatever was there before is
// removed first (read-only attributes included).
std::string freshWorkFolder(const std::string& name);

// Writes `text` to `path`, creating the missing folders above it.
void writeTextFile(const std::string& path, const std::string& text = "x");

// The whole file as text; empty when it cannot be read.
std::string readTextFile(const std::string& path);

bool pathExists(const std::string& path);

// The names in `folder` in listing order, "." and ".." left out.
std::vector<std::string> folderNames(const std::string& folder);

}  // namespace testing_support
}  // namespace kestrune
