// The persistent settings: string values under HKEY_CURRENT_USER
// "SOFTWARE\Kestrune", their first-run defaults, and the Run entry under
// HKEY_CURRENT_USER "SOFTWARE\Microsoft\Windows\CurrentVersion\Run".
//
// Nothing is cached: every call opens the key (always with KEY_ALL_ACCESS),
// performs one read, write or delete, and closes it again, so a value written
// by one caller is seen by the next at once. Nothing here shows a message;
// failures come back as false or empty text. Called on the window thread only.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// Key paths below HKEY_CURRENT_USER, and the Run entry's value name.
extern const char kSettingsKeyPath[];
extern const char kRunKeyPath[];
extern const char kRunEntryName[];

// Value names, in the order in which first run writes them. A flag is on only
// when its text is exactly "1"; writers store "1" or "0".
extern const char kSettingVersion[];            // KESTRUNE_VERSION, written on first run
extern const char kSettingDefinitionsName[];    // name of the last installed reference file
extern const char kSettingRunAtStartup[];       // flag
extern const char kSettingScanAtStartup[];      // flag
extern const char kSettingStartupScanAllowed[]; // flag, third condition of the start-up scan
extern const char kSettingAutoSaveLog[];        // flag
extern const char kSettingConfirmRemoval[];     // flag
extern const char kSettingAutoUpdate[];         // flag
extern const char kSettingProgramFolder[];      // program folder, no trailing backslash
extern const char kSettingLogFolder[];          // folder of the removal logs
extern const char kSettingReferenceFile[];      // full path of the reference file
// Not written on first run: the serial of the release statement installed
// last, in decimal; the update refuses an older release.
extern const char kSettingReleaseSerial[];

// Not written on first run; missing, they take their defaults (see
// backup_pruning.h).
extern const char kSettingBackupsKept[];   // backup archives kept whatever their age
extern const char kSettingBackupDays[];    // age in days beyond which the others go

// The default reference-file name: string-table entry
// IDS_DEFAULT_REFERENCE_FILE of the running program, or
// kDefaultReferenceFileName when the program has no such entry (the test
// programs and the console tool).
extern const char kDefaultReferenceFileName[];
std::string defaultReferenceFileName();

// The most bytes a value may take: a setting holds at most 259 characters
// and its terminating zero.
constexpr unsigned kSettingBufferSize = 260;

// True when the settings key cannot be opened (a first run for this user).
// Looks at the key only: a missing value inside an existing key is never
// re-created.
bool settingsMissing();

// Creates the settings key and writes the eleven defaults ("pv" the version,
// "df" "kestrune_082303_def.ks", "ras" "sas" "mtst" "0", "asl" "abrs" "acu"
// "1", "path", "lfp", "rfp") and creates the logs folder ("logs" in the data
// folder, see data_folder.h). False, with nothing
// written, when "SOFTWARE" cannot be opened or "Kestrune" cannot be created;
// true otherwise, whatever the single writes gave. When the program path
// cannot be fetched, "path", "lfp" and "rfp" are not written (readers then get
// empty text) and no logs folder is made.
bool createDefaultSettings();

// Reads one value as text. False, with `text` untouched, for an empty name, a
// key that cannot be opened, a missing value, or a value of more than 259
// characters (more than 260 bytes, or 260 bytes that do not end in a zero).
// The text ends at the first zero byte, so a value stored with or without its
// terminator reads the same.
// The value's type is not examined.
bool readSetting(const std::string& name, std::string& text);

// Stores one REG_SZ value with its terminating zero (an empty text is the
// zero alone), so that reg export and import keep it whole. False for an empty name
// or when the key cannot be opened or the value not set.
bool writeSetting(const std::string& name, const std::string& text);

// Stores `text` as REG_SZ value `name` of the open `key` with its terminating
// zero, as the system's own tools write and expect a string: reg export drops
// the last character of a value stored without it. False when not set.
bool writeStringValue(HKEY key, const std::string& name, const std::string& text);

// True only when the value reads exactly "1" (case-sensitive); a missing,
// unreadable or any other value is off.
bool settingEnabled(const std::string& name);

// "rfp" and "lfp"; empty text when they cannot be read.
std::string referenceFilePath();
std::string logFolder();

// Full path of the running program file; empty when it cannot be fetched
// whole into 260 bytes.
std::string programPath();

// programPath() up to and including its last backslash (ready for a file name
// to be appended); empty when the path cannot be fetched.
std::string programFolder();

// The Run entry's data for this program: the program path in double quotes,
// a blank and "/s". Empty when the program path cannot be fetched.
std::string runEntryCommandLine();

// Stores `commandLine` as REG_SZ value `name` of the Run key. False for an
// empty name or command line, or when the key cannot be opened or the value
// not set.
bool addRunEntry(const std::string& name, const std::string& commandLine);

// Deletes value `name` of the Run key. True only when a value was deleted;
// false for an empty name, a missing value or a key that cannot be opened.
bool removeRunEntry(const std::string& name);

// True when there is certainly no Run entry `name`: the Run key holds no such
// value, or there is no Run key. False when the value is there, when the key
// cannot be read, and for an empty name.
bool runEntryAbsent(const std::string& name);

}  // namespace kestrune
