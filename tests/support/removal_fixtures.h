// Definitions, registry keys, helper processes and recorders for the removal
// and backup tests. Helpers that set something up fail the running test when
// they cannot.
#pragma once

#include "definitions/parasite.h"
#include "platform/handles.h"
#include "removal/backup_session.h"
#include "removal/removal_report.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {
namespace testing_support {

// Items added `selected` unless told otherwise.
Parasite& parasiteNamed(ParasiteList& list, const std::string& name);
FileItem& fileItem(Parasite& parasite, const std::string& name, const std::string& path,
                   bool selected = true);
DirectoryItem& folderItem(Parasite& parasite, const std::string& name, const std::string& path,
                          bool selected = true);
CookieItem& cookieItem(Parasite& parasite, const std::string& name, bool selected = true);
RegistryKeyItem& keyItem(Parasite& parasite, const std::string& main, const std::string& sub,
                         const std::string& value, bool selected = true);
RegistryValueItem& valueItem(Parasite& parasite, const std::string& main, const std::string& sub,
                             const std::string& value, bool selected = true);

// Registry keys of the tests (the prefix is thrown away afterwards).
void writeRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& data);
bool registryKeyPresent(HKEY root, const std::string& path);
bool registryValuePresent(HKEY root, const std::string& path, const std::string& name);
// Deletes the tree without following a registry link in it.
void removeRegistryTree(HKEY root, const std::string& path);
// Creates key `path` as a registry link to key `targetPath` of `targetRoot`
// (which must exist).
void makeRegistryLink(HKEY root, const std::string& path, HKEY targetRoot,
                      const std::string& targetPath);
// Adds an ACE denying `access` to everyone to the key's own DACL.
void denyRegistryAccess(HKEY root, const std::string& path, DWORD access);

// The places of this machine and Kestrune's own (as the settings name them
// when the first test asks), built once: every test item must lie outside
// them, as a parasite's would.
const ProtectedPlaces& machinePlaces();

// The helper programs copied next to the test program.
std::string removalHelperPath();   // removal_helper.exe

// A program started for a test; ended (and waited for) when destroyed.
class StartedProgram {
public:
    // Starts `program` with `arguments` and waits until it is running
    // (its process can be listed); fails the test when it cannot.
    StartedProgram(const std::string& program, const std::string& arguments);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool running() const;
    DWORD id() const { return id_; }

private:
    ScopedHandle process_;
    DWORD id_ = 0;
};

// Waits (up to two seconds) until another program holds `path` open, so
// that it can no longer be opened without sharing; false when it never does.
bool waitUntilHeld(const std::string& path);

// Copies removal_helper.exe, or another file copied next to the test program
// (test_component.dll, test_library.dll), to `path`, creating the folders
// above it.
void copyHelperTo(const std::string& path, const std::string& helper = "removal_helper.exe");

// A RemovalReport that keeps everything it is told.
class RecordingRemovalReport : public RemovalReport {
public:
    void outcome(const RemovalOutcome& outcome) override { outcomes.push_back(outcome); }
    void programStep(const ProgramStep& step) override { steps.push_back(step); }
    void placeKept(const std::string& path) override { kept.push_back(path); }
    bool waitForProcess(HANDLE process, DWORD timeout) override
    {
        waits.push_back(timeout);
        return RemovalReport::waitForProcess(process, timeout);
    }
    std::vector<RemovalOutcome> outcomes;
    std::vector<ProgramStep> steps;
    std::vector<std::string> kept;
    std::vector<DWORD> waits;   // the timeout of every wait, in order
};

// A BackupReport that keeps everything it is told.
class RecordingBackupReport : public BackupReport {
public:
    void archiveOpened(const std::string& path) override { archives.push_back(path); }
    void step(const BackupStep& step) override { steps.push_back(step); }
    std::vector<std::string> archives;
    std::vector<BackupStep> steps;
};

// The delete-at-restart list of the system (PendingFileRenameOperations).
std::string pendingRenames();

}  // namespace testing_support
}  // namespace kestrune
