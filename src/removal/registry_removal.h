// Removal of the selected registry keys and values, and the registry
// primitives it uses. A key or value counts as deleted only when it is gone
// afterwards (also when it was gone before); one that is still there is
// logged as FAILED TO DELETE. Window thread only.
#pragma once

#include "platform/handles.h"
#include "removal/removal_run.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>

namespace kestrune {

// Every selected RegistryKeyItem of every parasite, in list order, then
// every selected RegistryValueItem. An item whose `main` is not a hive name,
// and a key item without a key name (its path would be its parent key), is
// refused: nothing is deleted or logged and the status stays. A protected key
// or value (keyItemRefused, valueItemRefused, or by the real name of its key)
// is refused too, but logged as FAILED TO DELETE, and so is an item reached
// through a registry link and a key that holds an ignored key or value
// (RemovalRun::ignored; RemovalOutcome::ignoredInside names it). A key item
// that is itself a link loses only the link; the recursive delete deletes a
// link below the key without descending into it.
void removeRegistryItems(ParasiteList& parasites, RemovalRun& run);

// How the key of a registry item is reached (openKeyWithoutLinks), with its
// real name (keyRealName) judged as well as its spelling.
enum class ItemKey {
    Present,   // opened, and its real name is not protected (the spelling is
               // keyItemRefused's and valueItemRefused's)
    Gone,      // it does not exist
    Link,      // a key item's key is itself a registry link: only the link goes
    Refused,   // reached through a link (a value's key that is a link too), or
               // its real name is a protected key (key items) or names a
               // protected value (value items)
    Failed,    // it cannot be opened
};

// Opens key `path` below `root` for a key item (`value` nullptr) or for the
// value `*value` of a value item, with `access`. `key` holds the key when
// Present, the link when Link.
ItemKey reachItemKey(HKEY root, const std::string& path, const std::string* value,
                     REGSAM access, const ProtectedPlaces& places, RegistryKey& key);

// True when key `path` below `root` is certainly gone: a part of it does not
// exist and no part before it is a registry link.
bool registryKeyGone(HKEY root, const std::string& path);

// The same for value `name` of key `path`: gone when the key is gone or holds
// no such value (a key reached through a link is never gone).
bool registryValueGone(HKEY root, const std::string& path, const std::string& name);

}  // namespace kestrune
