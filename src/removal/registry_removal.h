// Removal of the selected registry keys and values, and the registry
// primitives it uses. A key or value counts as deleted only when it is gone
// afterwards (also when it was gone before); one that is still there is
// logged as FAILED TO DELETE. Window thread only.
#pragma once

#include "removal/removal_run.h"

#include <windows.h>

#include <string>

namespace kestrune {

// Every selected RegistryKeyItem of every parasite, in list order, then
// every selected RegistryValueItem. An item whose `main` is not a hive name,
// and a key item without a key name (its path would be its parent key), is
// refused: nothing is deleted or logged and the status stays. A protected key
// or value (keyItemRefused, valueItemRefused) is refused too, but logged as
// FAILED TO DELETE, and so is a key that holds an ignored key or value
// (RemovalRun::ignored; RemovalOutcome::ignoredInside names it).
void removeRegistryItems(ParasiteList& parasites, RemovalRun& run);

// Deletes key `path` below `parent` with all its subkeys, depth first.
// Returns the registry error code of the first step that failed, 0 when the
// key was deleted. A subkey name of 299 characters or more stops the walk.
LONG deleteKeyTree(HKEY parent, const std::string& path);

// Deletes value `name` (empty: the default value) of key `path` below
// `root`. Returns the delete's registry error code, or the open's when the
// key does not open.
LONG deleteRegistryValue(HKEY root, const std::string& path, const std::string& name);

// RegOpenKeyExA(root, path, 0, access); the key, or nullptr on failure.
HKEY openKey(HKEY root, const std::string& path, REGSAM access);

// True when key `path` below `root` is certainly gone: opening it reports
// that it does not exist. A key that exists, or whose open fails for any
// other reason (access denied), is not gone.
bool registryKeyGone(HKEY root, const std::string& path);

// The same for value `name` of key `path`: gone when the key does not exist
// or the key has no such value.
bool registryValueGone(HKEY root, const std::string& path, const std::string& name);

}  // namespace kestrune
