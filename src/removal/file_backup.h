// The file part of a backup: copies of the selected files, folders and cookie
// files in the temporary backup folder, and their records in Config.ini.
// Window thread only.
#pragma once

#include "definitions/parasite.h"
#include "removal/backup_session.h"
#include "safety/protected_places.h"

#include <string>

namespace kestrune {

// The three Config.ini records, byte for byte: TYPE, NAME, PATH, each line
// ending in CR LF. A file's and a folder's PATH is the item's `path`; a
// cookie's is the full path of the cookie file copied, in lower case, or
// empty when no file matched.
std::string configFileRecord(const std::string& name, const std::string& path);
std::string configFolderRecord(const std::string& name, const std::string& path);
std::string configCookieRecord(const std::string& name, const std::string& cookieFile);

// Creates the backup folder when it is missing, then, for every parasite in
// list order: each selected file is copied into it (all files of all
// parasites first), then each selected folder with its tree, then every
// cookie file of each selected cookie item (matchingCookieFiles against
// `cookiesFolder`). Each copy gets a name of its own (claimName). Config.ini
// gets a record for every selected item, and one for every further cookie
// file of an item, whether the copy succeeded or not. A source that does not
// exist is not copied and is no failure; any other copy that fails is a
// failed step. The manifest record of each copy names its attributes
// ("[ATTRIBUTES:<hex>]"), a folder's also those of every entry copied inside
// it ("[INSIDE:<hex>:<path inside the folder>]"); the copies themselves are
// made plain. Items the removal refuses (pathItemRefused, cookieItemRefused
// against `places`, links on the path included) are passed by: neither
// copied nor recorded; so is a cookie file with a link on its path.
void backupFileItems(const ParasiteList& parasites, BackupSession& session,
                     const std::string& cookiesFolder, const ProtectedPlaces& places);

}  // namespace kestrune
