// The cookie files that a cookie item stands for, shared by the cookie backup
// and the cookie removal so that every file the removal deletes has been
// backed up. The rule is the scan's: a file directly in the cookies folder
// matches when the item's needle (cookieNeedle) occurs in its file name in
// lower case; the folder's own path takes no part, and an empty needle, or a
// name without a letter or digit (cookieNameUsable), matches nothing.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

// The full paths, as listed, of the files (not folders) directly in
// `cookiesFolder` that `cookieName` matches, in listing order. Empty when
// the folder is empty text (nothing is listed then), cannot be listed, or
// the name matches nothing.
std::vector<std::string> matchingCookieFiles(const std::string& cookiesFolder,
                                             const std::string& cookieName);

}  // namespace kestrune
