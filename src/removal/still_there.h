// The look the backup and the removal take again right before they start: a
// selected item that is no longer there (removed meanwhile, or by an earlier
// run over the same list) is set aside, so that it is neither backed up nor
// removed nor logged, and its owner can call it gone. Window thread only.
#pragma once

#include "removal/removal_run.h"

#include <string>
#include <vector>

namespace kestrune {

// True when nothing of the selected item is there any more: its file or
// folder, its key, its value, or every cookie file of `cookiesFolder` its
// name matches. An item the removal refuses (item_refusal.h, an unknown
// hive, a key item without a key name) never counts as gone: it goes on to
// be refused. So does anything whose presence cannot be told (access denied).
bool fileItemGone(const FileItem& item, const ProtectedPlaces& places);
bool folderItemGone(const DirectoryItem& item, const ProtectedPlaces& places);
bool keyItemGone(const RegistryKeyItem& item, const ProtectedPlaces& places);
bool valueItemGone(const RegistryValueItem& item, const ProtectedPlaces& places);
bool cookieItemGone(const CookieItem& item, const std::string& cookiesFolder);

// Unselects every selected item that is gone and returns an outcome for each
// (result Gone; name and path as the removal would give them), keys first,
// then values, files, folders and cookies, each in list order.
std::vector<RemovalOutcome> setAsideGoneItems(ParasiteList& parasites,
                                              const ProtectedPlaces& places,
                                              const std::string& cookiesFolder);

// setAsideGoneItems with the run's places, each outcome recorded in the run
// (counted and reported, not logged). Returns how many there were.
int recordGoneItems(ParasiteList& parasites, RemovalRun& run, const std::string& cookiesFolder);

// The number of items whose `selected` is 1.
int selectedItemCount(const ParasiteList& parasites);

}  // namespace kestrune
