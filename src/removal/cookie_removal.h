// Removal of the selected cookie items: every cookie file an item matches is
// deleted, and the item is logged once. Window thread only.
#pragma once

#include "removal/removal_run.h"

#include <string>
#include <vector>

namespace kestrune {

struct CookieDeletion {
    int matched = 0;     // files that matched the item
    int scheduled = 0;   // of those, files still there that the restart deletes
    int left = 0;        // files still there that nothing will delete
};

// Deletes every file of `files` (deleteOrSchedule: each is looked at again
// afterwards), except protected files and files with a link on their path
// (pathLeadsThroughLink), which count as left. A file that is already gone
// counts as deleted.
CookieDeletion deleteCookieFiles(const std::vector<std::string>& files,
                                 const ProtectedPlaces& places);

// For each parasite, each selected CookieItem: its files in the user's
// cookies folder are deleted. Every item's files are listed before the first
// is deleted, so an item whose files another item took first is deleted all
// the same. An item that matched no file is neither logged nor reported
// (there was nothing to remove); one whose files are all gone is COOKIE
// DELETED; one with a file left is COOKIE FAILED TO DELETE, its outcome
// Scheduled when the restart deletes every file left, else Failed. An item
// whose name can match no file (cookieItemRefused) is refused and logged as
// COOKIE FAILED TO DELETE.
void removeCookieItems(ParasiteList& parasites, RemovalRun& run);
// The same against a given cookies folder.
void removeCookieItems(ParasiteList& parasites, RemovalRun& run, const std::string& cookiesFolder);

}  // namespace kestrune
