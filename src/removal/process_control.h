// Stopping what keeps a parasite's files busy: ending the running programs
// started from a given file, unregistering components with regsvr32.exe, and
// both for every program and component inside a folder tree. A protected file
// (ProtectedPlaces) is never ended as a program nor unregistered, and neither
// is a file that is judged, once opened, to be more than its name (see
// ProgramStopper). Every wait
// is bounded and goes through the report's Responsiveness, through which the
// window keeps painting. Called on the thread that owns the removal run.
#pragma once

#include "platform/held_file.h"
#include "removal/removal_report.h"
#include "safety/protected_places.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrune {

// How long an ended program is given to go away.
constexpr DWORD kProcessEndWait = 5000;
// How long regsvr32.exe and regedit.exe are given to do their work.
constexpr DWORD kHelperProgramWait = 60000;

// Waits until `process` has ended or `timeout` milliseconds have passed,
// through `responsiveness` when given. True when the process ended.
bool waitForProcess(HANDLE process, DWORD timeout, Responsiveness* responsiveness = nullptr);

// The full image path of process `processId`; empty when it cannot be read
// (the process is gone, or may not be opened for querying).
std::string processImagePath(DWORD processId);

// True when two paths name the same file: equal without regard to case,
// after each is expanded to its long form when that file exists.
bool samePath(const std::string& a, const std::string& b);

// Ends every process whose own image path is `fullPath` (samePath) and waits
// for each to go (kProcessEndWait). A process whose path cannot be read is
// left alone, and so is this program itself. Nothing is ended when `fullPath`
// or the process's image is a protected file (told to the report as
// placeKept). Returns the number of processes that were ended. Despite its
// name it takes a full path, not a bare program name.
int terminateProcessByName(const std::string& fullPath, const ProtectedPlaces& places,
                           RemovalReport* report = nullptr);

// The regsvr32.exe of the component's own bitness and the component's path
// as that program sees it (redirection on). On 64-bit Windows a 64-bit DLL
// (by its PE header) needs the 64-bit regsvr32 of the real System32
// ("C:\Windows\Sysnative\regsvr32.exe" to a 32-bit program); the 32-bit
// one (SysWOW64's) reaches a DLL of the real System32 through Sysnative. A
// DLL whose headers cannot be read goes to the 32-bit one, as on 32-bit
// Windows, where it is always "regsvr32.exe" and the path as it is. The
// file is read as the calling thread sees it.
struct RegisteringProgram {
    std::string file;
    std::string target;
};
RegisteringProgram registeringProgramFor(const std::string& path);

// Runs regsvr32.exe "/u /s \"<path>\"" and waits for it (kHelperProgramWait).
// True when it was started and ended within the wait (whatever its result).
// False, without running it, when `path` is a protected file (placeKept), and
// when the file is read whole and is no PE DLL exporting DllUnregisterServer
// (regsvr32 would have nothing to call: no step is reported). A file that
// cannot be opened or read is handed to regsvr32 all the same.
bool unregisterServer(const std::string& path, const ProtectedPlaces& places,
                      RemovalReport* report = nullptr);

// Ends the program that `path` is (".exe", terminateProcessByName) or
// unregisters the component (".dll", ".ocx", unregisterServer); any other
// file is left as it is.
void stopProgramFile(const std::string& path, const ProtectedPlaces& places,
                     RemovalReport* report = nullptr);

// Ends the programs (".exe") and unregisters the components (".dll", ".ocx")
// found inside `folder`, twice over its own entries and, in the second pass,
// once more inside each subfolder (recursively) that is not a protected
// folder. Entries whose names begin with "." are passed by, and links are
// never followed. False when `folder` is not a folder.
bool stopFolderPrograms(const std::string& folder, const ProtectedPlaces& places,
                        RemovalReport* report = nullptr);

// Before a program is ended or a component unregistered, its file is opened
// (HeldFile, held open during regsvr32's run) and judged by what it is. It is
// spared, told to the report as a ProgramStep::Spared with the reason, when
// a link is on its path, when it exists but cannot be opened, when it has
// more than one name (a hard link: another name may be a system file), or
// when its version resource gives a protected system file's name as its
// original name (a copy of a system file: unregistering it would remove the
// system file's registrations). A file that does not exist is not spared.
//
// The program stopping of one removal pass: the same operations as the
// functions above, but the process list is read once, when the pass meets its
// first program, and reused for every later file of the pass, instead of once
// per file. A process the pass ends is struck from the list; before a listed
// process is ended its image path is read again through the opened handle, so
// an id that has passed to another program meanwhile is left alone. A
// program started after the list was read is not seen by this pass (the file
// removal's deleting pass reads a list of its own).
class ProgramStopper {
public:
    // `places` and `report` (may be null) must outlive the stopper.
    ProgramStopper(const ProtectedPlaces& places, RemovalReport* report);
    ProgramStopper(const ProgramStopper&) = delete;
    ProgramStopper& operator=(const ProgramStopper&) = delete;

    int endProgram(const std::string& fullPath);     // as terminateProcessByName
    bool unregister(const std::string& path);        // as unregisterServer
    void stopFile(const std::string& path);          // as stopProgramFile
    bool stopFolder(const std::string& folder);      // as stopFolderPrograms

private:
    struct Process {
        DWORD id;
        std::string image;
        std::string longImage;   // read when first needed
        bool longRead;
        bool ended;
    };
    std::vector<Process>& processes();
    void stopEntriesOf(const std::string& folder, bool descend);
    bool kept(const std::string& path);
    bool spared(const std::string& path, const HeldFile& file);

    const ProtectedPlaces& places_;
    RemovalReport* report_;
    std::vector<Process> processes_;
    bool listed_ = false;
};

// True when the extension (fileExtension of the path) is `ext`, ignoring case.
bool hasExtension(const std::string& path, const char* ext);

}  // namespace kestrune
