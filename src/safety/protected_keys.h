// ProtectedKeys: the registry half of the protected places. The hive roots,
// the built-in keys whose loss breaks Windows or every program, the services
// of a clean Windows and other whole trees, the standard file and protocol
// classes, the values every Windows holds (the ones it cannot start or log on
// without, its environment, folders, browser and shell values), and
// Kestrune's own settings key with everything in and below it.
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

    // True for a hive root, a built-in key, a key that holds one, a key in or
    // below a built-in tree (a clean Windows' service, Control\Lsa), and the
    // settings key or a key below it. `hiveName` is a name of the hive table
    // or a short form (HKLM, HKCU, HKCR, HKU, HKCC), any case; any other name
    // (the scan then searches every hive) is protected when the key is
    // protected in any of the five hives.
    bool isProtectedKey(const std::string& hiveName, const std::string& subKey) const;

    // True for the values of the built-in table (of the machine, a user's
    // hive, or both: Winlogon's "Userinit" and "Shell", the environment's
    // standard values, CurrentVersion's folder values, Internet Explorer's
    // start and search pages, ...), for every value in a built-in tree, in a
    // standard class key, its DefaultIcon or its shell\open\command, and in
    // the shell folder keys, and for every value of the settings key or a key
    // below it. An unknown hive name counts as in isProtectedKey.
    bool isProtectedValue(const std::string& hiveName, const std::string& subKey,
                          const std::string& valueName) const;

private:
    void addHolders(const std::string& path);
    bool inTree(const std::string& path) const;

    std::unordered_set<std::string> keys_;            // built-in keys, folded, parts joined
    std::unordered_set<std::string> holders_;         // every key that holds a built-in one
    std::unordered_set<std::string> trees_;           // keys protected with all below them
    std::unordered_set<std::string> valueKeys_;       // keys whose every value is protected
    std::unordered_set<std::string> machineValues_;   // "key path:value name", folded
    std::unordered_set<std::string> userValues_;      // the same in a user's hive
    std::string settingsKey_;                   // folded, parts joined
};

}  // namespace kestrune
