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

// True when `name` can only name a file directly inside the program folder:
// not empty, at most 200 characters, no path separator, drive colon or other
// character that Windows refuses in file names, no control characters, no
// "..", and not made of dots and blanks only.
bool isSafeReferenceFileName(const std::string& name);

}  // namespace kestrune
