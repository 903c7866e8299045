// One backup in the making: the temporary backup folder it fills, the names
// already taken in it, the manifest of what each export and copy came from,
// and whether every step so far succeeded. The registry export and the file
// copies write through it; the backup run packs the folder afterwards.
// The first kEntriesPerPart exports and copies lie in the temporary folder
// itself, the later ones in subfolders of it holding kEntriesPerPart each (a
// new name in a folder costs more the more the folder holds); in the archive
// every entry has its claimed name all the same. Window thread only.
#pragma once

#include "platform/item_kinds.h"
#include "removal/responsiveness.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kestrune {

// The files of the backup folder that describe the backup.
extern const char kConfigFileName[];
extern const char kManifestFileName[];

enum class BackupStepKind {
    RegistryExport,   // a regedit export of a selected key (or of a value's key)
    FileCopy,
    FolderCopy,
    CookieCopy,
    Description,      // a record of Config.ini or the manifest
    Archive,          // packing the folder into the archive and closing it
};

struct BackupStep {
    BackupStepKind kind = BackupStepKind::FileCopy;
    std::string source;   // the key, file or folder backed up
    std::string target;   // the name it got in the backup folder
    bool ok = false;
};

// How a backup tells its owner what it does, and how it waits (see
// Responsiveness). Every call comes on the thread that makes the backup.
class BackupReport : public Responsiveness {
public:
    // The archive is open and the exports and copies begin.
    virtual void archiveOpened(const std::string& archivePath) {}
    virtual void step(const BackupStep& step) {}
};

// `name` when n is 1; otherwise `name` with " (n)" before its extension (the
// text from its last dot, unless that dot is its first character):
// "a.exe" -> "a (2).exe", "notes" -> "notes (2)", ".cfg" -> ".cfg (2)".
std::string numberedName(const std::string& name, int n);

class BackupSession {
public:
    // `report` may be null.
    BackupSession(std::string folder, BackupReport* report);
    BackupSession(const BackupSession&) = delete;
    BackupSession& operator=(const BackupSession&) = delete;

    // The claimed entries the folder, and each of its subfolders, holds.
    static constexpr int kEntriesPerPart = 100;

    const std::string& folder() const { return folder_; }
    // The report handed in (may be null), for the copies and exports that
    // wait through it.
    BackupReport* report() const { return report_; }

    // A name for a new entry of the folder: the first of `name`,
    // numberedName(name, 2), (name, 3), ... that this backup has not handed
    // out before (compared without regard to case; Config.ini and the
    // manifest are taken from the start) and that no entry of the folder
    // has. The name is then taken, and its entry is to be made at
    // pathOf(name).
    std::string claimName(const std::string& name);
    // Where the entry `name` (a claimed name, Config.ini or the manifest)
    // lies: in the folder, or, for a claimed name after the first
    // kEntriesPerPart, in a subfolder this backup made.
    std::string pathOf(const std::string& name) const;
    // The folder pathOf(name) lies in.
    std::string folderOf(const std::string& name) const;

    // Counts a failed step and passes the step to the report.
    void stepDone(const BackupStep& step);

    // Appends a record to Config.ini, creating it with the first record.
    // A record that cannot be written is a failed step.
    void appendConfigRecord(const std::string& record);
    // Keeps the manifest record of one export or copy: typeLine(kind),
    // "[ENTRY:<name in the backup folder>]", then `details` (more bracketed
    // lines naming where it came from), every line ending in CR LF.
    // writeManifest writes the records into Manifest.ini at the end, so that
    // a restore can tell which numbered entry belongs where.
    void addManifestRecord(ItemKind kind, const std::string& entry, const std::string& details);
    void writeManifest();
    // True once an export or copy has its manifest record: the backup holds
    // at least one item.
    bool holdsItems() const { return !manifest_.empty(); }
    // True the first time it is asked about `source` (a full path, compared
    // without regard to case): a file or folder that two items name is
    // copied once.
    bool firstCopyOf(const std::string& source);

    // The names of the entries this backup made in the folder, in the order
    // they were made: every claimed name, Config.ini and the manifest once
    // written. Only these are packed and removed again, so what an earlier
    // backup may have left behind never reaches this backup's archive.
    const std::vector<std::string>& entries() const { return entries_; }

    // True while no step has failed.
    bool complete() const { return failures_ == 0; }
    int failures() const { return failures_; }

private:
    bool appendTo(const std::string& fileName, const std::string& text);
    // The folder for the next claimed entry: the folder itself, then a new
    // subfolder whenever the last one is full (the folder itself when none
    // can be made).
    const std::string& partForNextEntry();

    std::string folder_;
    BackupReport* report_;
    std::unordered_map<std::string, std::string> taken_;   // folded name -> its folder
    std::unordered_set<std::string> parts_;   // folded names of this backup's subfolders
    std::string part_;                         // the folder being filled
    int partEntries_ = 0;
    int partNumber_ = 0;
    std::vector<std::string> entries_;
    std::string manifest_;
    std::unordered_set<std::string> copied_;   // folded sources copied so far
    int failures_ = 0;
};

}  // namespace kestrune
