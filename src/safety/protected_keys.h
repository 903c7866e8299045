// ProtectedKeys: the registry half of the protected places. The hive roots,
// the built-in key trees whose loss breaks Windows or every program, the
// values Windows cannot start or log on without, and Kestrune's own settings
// key with everything in and below it.
//
// Key paths are compared part by part after folding case; empty parts (a
// doubled, leading or trailing backslash) are dropped, "Wow6432Node" parts are
// passed over (the 32-bit view names the same places), "ControlSet001" and
// its kin count as "CurrentControlSet", HKEY_CLASSES_ROOT\X counts as
// Software\Classes\X, and each HKEY_USERS\<sid> as a user's own hive.
// Immutable after construction, so any thread may ask.
#pragma once

#include <string>
#include <unordered_set>

namespace kestrune {

class ProtectedKeys {
public:
    // The built-in keys and values; `settingsKey` (below HKEY_CURRENT_USER and
    // every HKEY_USERS\<sid>) is protected with everything in and below it.
    explicit ProtectedKeys(const std::string& settingsKey = "SOFTWARE\\Kestrune");

    // True for a hive root, a built-in key, a key that holds one, and the
    // settings key or a key below it. `hiveName` is a name of the hive table
    // or a short form (HKLM, HKCU, HKCR, HKU, HKCC), any case; any other name
    // (the scan then searches every hive) is protected when the key is
    // protected in any of the five hives.
    bool isProtectedKey(const std::string& hiveName, const std::string& subKey) const;

    // True for Winlogon's "Userinit" and "Shell", Session Manager's
    // "BootExecute" and the system environment's "Path", "ComSpec",
    // "SystemRoot" and "windir" (all of the machine), and for every value of
    // the settings key or a key below it. An unknown hive name counts as in
    // isProtectedKey.
    bool isProtectedValue(const std::string& hiveName, const std::string& subKey,
                          const std::string& valueName) const;

private:
    std::unordered_set<std::string> keys_;      // built-in keys, folded, parts joined
    std::unordered_set<std::string> holders_;   // every key that holds a built-in one
    std::unordered_set<std::string> values_;    // "key path:value name", folded
    std::string settingsKey_;                   // folded, parts joined
};

}  // namespace kestrune
