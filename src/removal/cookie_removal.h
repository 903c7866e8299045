// Removal of the selected cookie items: every cookie file an item matches is
// deleted, and the item is logged once. Window thread only.
#pragma once

#include "removal/removal_run.h"

#include <string>

namespace kestrune {

struct CookieDeletion {
    int matched = 0;   // files that matched the item
    int left = 0;      // of those, files still there afterwards
};

// Deletes every file of `cookiesFolder` that `cookieName` matches
// (matchingCookieFiles), except protected files and files with a link on
// their path (pathLeadsThroughLink), which count as left. An
// empty folder text lists and deletes nothing.
CookieDeletion deleteMatchingCookies(const std::string& cookiesFolder,
                                     const std::string& cookieName, const ProtectedPlaces& places);

// For each parasite, each selected CookieItem: its files in the user's
// cookies folder are deleted. An item that matched no file is neither logged
// nor reported (there was nothing to remove); one whose files are all gone is
// COOKIE DELETED; one with a file left is COOKIE FAILED TO DELETE. An item
// whose name can match no file (cookieItemRefused) is refused and logged as
// COOKIE FAILED TO DELETE.
void removeCookieItems(ParasiteList& parasites, RemovalRun& run);
// The same against a given cookies folder.
void removeCookieItems(ParasiteList& parasites, RemovalRun& run, const std::string& cookiesFolder);

}  // namespace kestrune
