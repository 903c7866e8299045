// Registry items of a parasite in the scan: the existence tests of the full
// scan (which pass over protected keys and values) and the location texts of
// found registry items. The hive table is platform/hives.h.
//
// A RegistryKeyItem names the key `sub` + "\" + `value` below hive `main`; a
// RegistryValueItem names value `value` of key `sub` below hive `main`. None of
// the strings is trimmed. Every registry failure counts as "absent"; nothing
// is reported or logged, and every handle opened is closed before returning.
#pragma once

#include "definitions/parasite.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>

namespace kestrune {

// True when `path` opens below `root` with KEY_ALL_ACCESS. A key that exists
// but cannot be opened with full access counts as absent.
bool keyExists(HKEY root, const std::string& path);

// True when the key opens as in keyExists and a query of `valueName` (empty:
// the key's default value) succeeds. A value whose data is longer than the
// 260-byte query buffer counts as present: only presence is asked for.
bool valueExists(HKEY root, const std::string& path, const std::string& valueName);

// How the scan's test of a registry item came out.
enum class RegistryCheck {
    Absent,      // no hive holds it
    Present,     // found at a place that may be reported
    Protected,   // it exists, but only where it is protected
};

// The scan's test of one key item. When `main` names a hive, only that hive is
// tried. Otherwise the five hives are tried in table order and, at the first
// that holds the key, `main` is overwritten with that hive's table name; when
// none holds it `main` is unchanged. An item without a key name
// (hasKeyName false) is not found and nothing is opened. The scan passes a
// copy of the loaded item, never the item itself.
//
// A hive in which the key exists but is protected (isProtectedKey) counts as
// not holding it, so the fallback goes on with the next hive. Protected: the
// key exists only where it is protected; `main` is unchanged and
// `protectedHive` names the first hive in which it was met.
RegistryCheck checkRegistryKey(RegistryKeyItem& item, const ProtectedPlaces& protectedPlaces,
                               std::string& protectedHive);

// The scan's test of one value item, with the same fallback as
// checkRegistryKey and the same rewrite of `main` to the hive in which the
// fallback found the value, so that the removal can reach it afterwards.
// Values are passed over where isProtectedValue holds; the key they lie in
// may itself be protected.
RegistryCheck checkRegistryValue(RegistryValueItem& item, const ProtectedPlaces& protectedPlaces,
                                 std::string& protectedHive);

// The 32-bit copy of a registry item on 64-bit Windows: the key `key` (a key
// item's whole key; a value item's key, whose value `*valueName` is asked
// for) at the name wow64RedirectedPath gives it, in the engine's view. `main`
// names the hive to look in; when it names none, the hives are tried in table
// order. Present, with `hive` and `copyKey` (a path holding Wow6432Node), at
// the first hive where the copy exists, is not protected and is another key
// than the item's own at `key`: one key reached through both names (a shared
// key) is one key, as the kernel's names of the two tell. Protected: the copy
// exists only where it is protected (`hive` and `copyKey` name it). Absent on
// 32-bit Windows and for keys Windows does not redirect.
RegistryCheck checkRedirectedCopy(const std::string& main, const std::string& key,
                                  const std::string* valueName,
                                  const ProtectedPlaces& protectedPlaces, std::string& hive,
                                  std::string& copyKey);

// Location texts of found registry items: "main\sub\value" for a key and
// "main\sub : value" for a value, formatted from the item's strings as they
// are when called.
std::string registryKeyLocation(const RegistryKeyItem& item);
std::string registryValueLocation(const RegistryValueItem& item);

}  // namespace kestrune
