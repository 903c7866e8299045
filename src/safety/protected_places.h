// ProtectedPlaces: the places that Kestrune never reports, backs up as an
// item, or removes, whatever a reference file names: the system's own folders,
// files, registry keys and values, and Kestrune's own program, settings,
// reference file, logs and backups. The scan, the backup and the removal all
// ask the same object; nothing here shows a window.
//
// Also the item-text rules: which PATH and NAME texts of an item are refused
// before any place is looked at (which cookie names can match a file is
// platform/cookie_match.h).
#pragma once

#include "safety/protected_keys.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kestrune {

// Kestrune's own places, handed in by the owner (they come from the settings
// and the program's path). Empty texts are ignored.
struct OwnPlaces {
    std::string programFolder;       // the folder of the running program
    std::string programFile;         // the running program itself
    std::string referenceFile;       // the reference file in use
    std::string settingsReferenceFile;   // the one the settings name, when another is in use
    std::string logFolder;           // where the removal logs go
    std::string backupFolder;        // "KestruneBackup" beside the program
    std::string temporaryBackupFolder;   // "KestruneBackup" in the temporary folder
    // Every folder Kestrune keeps its files in (the program folder, the
    // per-user "%LOCALAPPDATA%\Kestrune"): each is protected as a folder,
    // its "KestruneBackup" as a tree and its "logs" as a log folder.
    std::vector<std::string> dataFolders;
    std::string settingsKey = "SOFTWARE\\Kestrune";   // below HKEY_CURRENT_USER
};

class ProtectedPlaces {
public:
    // A set without folders and files: only drive roots with the boot files
    // and folders in them (bootmgr, boot.ini, pagefile.sys, \Boot and \EFI
    // with everything below, ...), paths that cannot be compared safely, and
    // the built-in registry keys and values (with the default settings key)
    // are protected until places are added. Tests build their own sets with
    // the add functions.
    ProtectedPlaces() = default;

    // The places of this machine (drive roots, Windows and system folders,
    // Program Files, the profiles and every profile's known folders, the
    // current user's known folders, the built-in files and key trees) and
    // `own`. Asks the system once; the answers are kept.
    static ProtectedPlaces forThisMachine(const OwnPlaces& own);

    // Adds a protected folder: the folder itself and every folder that holds
    // it are protected; folders and files below it stay removable. Each add
    // function keeps the place under every comparable form (see
    // comparablePaths); a path that is not plain is not added.
    void addFolder(const std::string& path);
    // Adds a folder whose whole tree (the folder, everything below it, and
    // every folder that holds it) is protected.
    void addTree(const std::string& path);
    // Adds one protected file.
    void addFile(const std::string& path);
    // The names a folder keeps besides itself (see addKeepingFolder).
    enum class Kept {
        // The files Windows cannot start or log on without (the built-in
        // list: kernel32.dll, services.exe, winload.exe, ...).
        SystemFiles,
        // Kestrune's removal logs ("log.txt", "D-M-YYYY (h-m-s).txt"), its
        // restore logs ("Restore D-M-YYYY (h-m-s).txt") and its scan reports
        // ("Scan D-M-YYYY (h-m-s).txt").
        Logs,
        // What the installer puts beside the program (Kestrune.exe,
        // kestrune-cli.exe, uninst.exe, README.txt) and every ".ks" file.
        OwnFiles,
        // A profile's registry hive "NTUSER.DAT" and its companions
        // ("ntuser.dat.LOG1", "ntuser.ini", ...: every "ntuser.*").
        UserHive,
        // The classes hive "UsrClass.dat" and its companions ("usrclass.dat*").
        ClassesHive,
        // Every entry directly inside (the hives in system32\config).
        Everything,
    };
    // Adds a protected folder (as addFolder) in which the names of `kept` are
    // protected. The same names elsewhere stay removable. A folder may be
    // added with several kinds.
    void addKeepingFolder(const std::string& path, Kept kept);
    // Kestrune's settings key below HKEY_CURRENT_USER (replaces the default
    // "SOFTWARE\Kestrune").
    void setSettingsKey(const std::string& subKey);

    // True when `path` (a folder as an item or the drive search names it) is
    // protected or cannot be compared safely (not a plain "X:\..." path).
    bool isProtectedFolder(const std::string& path) const;
    // True when `path` (a file) is protected or cannot be compared safely.
    // Also asks Windows' own file protection (SfcIsFileProtected), where the
    // system answers.
    bool isProtectedFile(const std::string& path) const;
    // isProtectedFolder(path) || isProtectedFile(path), with `path` resolved
    // once: for an existing entry that may be either (the scan's finds).
    bool isProtectedPlace(const std::string& path) const;
    // True when one of the comparable forms of a path (see comparablePaths)
    // is protected as a folder or as a file, as isProtectedFolder or
    // isProtectedFile would find; true for no forms (not comparable).
    bool formsProtected(const std::vector<std::string>& forms) const;
    // True when `name` (a bare file name, as a version resource gives the
    // original name of a file) is the name of a protected system file: one
    // of the files Windows cannot start or log on without, or a file that is
    // protected (added, or protected by Windows itself) in the Windows
    // folder or a system folder. A path is judged by its last part, a
    // trailing ".mui" is passed by, and a name without extension is tried
    // as ".dll" and ".exe" too.
    bool isSystemFileName(const std::string& name) const;
    // True when the key `subKey` below the hive named `hiveName` (a name of
    // the hive table, any case) is protected: a hive root, a key of the
    // built-in trees, a key that holds one, or Kestrune's settings key or a
    // key below it. Any other hive name (the scan then tries every hive)
    // counts as protected when the key is protected in any hive; see
    // ProtectedKeys for how key paths are compared.
    bool isProtectedKey(const std::string& hiveName, const std::string& subKey) const;
    // True when the value `valueName` of that key is one Windows cannot start
    // or log on without, or lies in Kestrune's settings key.
    bool isProtectedValue(const std::string& hiveName, const std::string& subKey,
                          const std::string& valueName) const;

private:
    // Keeps every comparable form of `path` in `into` and returns them.
    std::vector<std::string> addPlace(const std::string& path,
                                      std::unordered_set<std::string>& into);
    bool protectedForm(const std::string& form) const;

    // Comparable forms (see comparablePaths), each place in every form it has.
    std::unordered_set<std::string> folders_;
    std::unordered_set<std::string> holders_;   // every folder that holds a place
    std::unordered_set<std::string> trees_;
    std::unordered_set<std::string> files_;
    std::unordered_map<std::string, unsigned> keepingFolders_;   // form -> bits of Kept
    ProtectedKeys keys_;
};

// True when an item's PATH text is refused: not a plain "X:\..." path
// ("\\?\", "\\.\", UNC, relative, "C:x", a ':' after the drive), or one with
// a "." or ".." segment.
bool itemPathRefused(const std::string& path);
// True when an item's NAME text is refused: blank, only dots, or holding a
// "." or ".." segment.
bool itemNameRefused(const std::string& name);

}  // namespace kestrune
