// The version page's text: the file name it announces, and whether that name
// is safe to use as a file name in the program folder.
#pragma once

#include <string>

namespace kestrune {

// Lower-cases the whole page, keeps the text between the first "<body>" and
// the first "</body>" after it (everything after "<body>" when there is no
// end tag; the whole page when there is no "<body>"), and trims white space
// on both ends.
std::string fileNameFromVersionPage(const std::string& page);

// True when `name` is a plain reference-file name that can only name a file
// directly inside the download folder: 1 to 200 letters, digits, '_', '-' and
// '.', ending ".ks" (any case) after at least one other character, no "..",
// no device name (CON, NUL, COM1, ...) before its first dot, and never the
// name of a file Kestrune owns (isKestruneFileName).
bool isSafeReferenceFileName(const std::string& name);

// True when `name` (any case) is the name of a file Kestrune itself puts
// beside the program or into its data folder: the programs, the uninstaller,
// the README, the removal log, the backup's lists and the release statement.
bool isKestruneFileName(const std::string& name);

}  // namespace kestrune
