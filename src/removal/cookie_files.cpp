// Matching cookie files against a cookie item.
#include "removal/cookie_files.h"

#include "platform/cookie_match.h"
#include "platform/text_compare.h"
#include "removal/folder_utils.h"
#include "safety/protected_places.h"

namespace kestrune {

std::vector<std::string> matchingCookieFiles(const std::string& cookiesFolder,
                                             const std::string& cookieName)
{
    std::vector<std::string> files;
    const std::string needle = cookieNeedle(cookieName);
    if (cookiesFolder.empty() || needle.empty() || !cookieNameUsable(cookieName))
        return files;
    listFolder(cookiesFolder, ListingRule::DotsOnly, [&](const WIN32_FIND_DATAA& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            cookieFileMatches(foldedText(entry.cFileName), needle))
            files.push_back(joinPath(cookiesFolder, entry.cFileName));
        return true;
    });
    return files;
}

}  // namespace kestrune
