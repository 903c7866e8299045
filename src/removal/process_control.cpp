// Ending programs and unregistering components before their files go.
#include "removal/process_control.h"

#include "platform/file_bytes.h"
#include "platform/fs_redirection.h"
#include "platform/handles.h"
#include "platform/path_links.h"
#include "platform/shell.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "removal/folder_utils.h"

#include <tlhelp32.h>

#include <optional>
#include <vector>

namespace kestrune {

namespace {

// QueryFullProcessImageNameA exists from Windows Vista on; the build targets
// XP, so it is looked up at run time and the main module's path is the
// fallback.
using QueryImageNameFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

QueryImageNameFunction queryImageNameFunction()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<QueryImageNameFunction>(
        GetProcAddress(kernel, "QueryFullProcessImageNameA"));
}

std::string mainModulePath(DWORD processId)
{
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.valid())
        return std::string();
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    if (!Module32First(snapshot.get(), &module))
        return std::string();
    return module.szExePath;
}

std::string longForm(const std::string& path)
{
    DWORD needed = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::string buffer(needed, '\0');
    DWORD length = GetLongPathNameA(path.c_str(), &buffer[0], needed);
    if (length == 0 || length >= needed)
        return path;
    buffer.resize(length);
    return buffer;
}

// The image path of the process behind `process` (opened with query access;
// may be null), which is process `processId`; its main module's path when
// the image name cannot be asked for.
std::string imageOf(HANDLE process, DWORD processId)
{
    QueryImageNameFunction query = queryImageNameFunction();
    if (query != nullptr && process != nullptr) {
        char buffer[MAX_PATH * 2];
        DWORD size = sizeof buffer;
        if (query(process, 0, buffer, &size))
            return std::string(buffer, size);
    }
    return mainModulePath(processId);
}

// True, after telling the report, when `path` is a protected file.
bool keptAsProtected(const std::string& path, const ProtectedPlaces& places,
                     RemovalReport* report)
{
    if (!places.isProtectedFile(path))
        return false;
    if (report != nullptr)
        report->placeKept(path);
    return true;
}

// Why the file at `path`, opened as `file`, is not to be ended or
// unregistered although it is no protected place; empty when nothing speaks
// against it. The path is asked about links while the file is held, so that
// its last name cannot change meanwhile.
std::string reasonToSpare(const std::string& path, const HeldFile& file,
                          const ProtectedPlaces& places)
{
    if (pathLeadsThroughLink(path))
        return "a link is on its path";
    if (!file.opened())
        return file.missing() ? std::string() : "it cannot be opened to be judged";
    if (file.linkCount() > 1)
        return "it has other names (hard links)";
    for (const std::string& name : file.originalFileNames()) {
        if (places.isSystemFileName(name))
            return "it is a copy of the system file " + name;
    }
    return std::string();
}

}  // namespace

RegisteringProgram registeringProgramFor(const std::string& path)
{
    RegisteringProgram program{"regsvr32.exe", path};
    const std::string native = nativeSystemFolderAlias();
    if (native.empty())
        return program;
    if (fileBitness(path) == PeBitness::Bits64) {
        program.file = native + "\\regsvr32.exe";
    } else {
        const std::string throughAlias = inOtherSystemFolder(path, native);
        if (!throughAlias.empty())
            program.target = throughAlias;
    }
    return program;
}

bool waitForProcess(HANDLE process, DWORD timeout, Responsiveness* responsiveness)
{
    if (responsiveness != nullptr) {
        // The window's message pump may load DLLs.
        const ScopedFsRedirectionOn pump;
        return responsiveness->waitForProcess(process, timeout);
    }
    return WaitForSingleObject(process, timeout) == WAIT_OBJECT_0;
}

std::string processImagePath(DWORD processId)
{
    ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return imageOf(process.valid() ? process.get() : nullptr, processId);
}

bool samePath(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    return sameText(a, b) || sameText(longForm(a), longForm(b));
}

int terminateProcessByName(const std::string& fullPath, const ProtectedPlaces& places,
                           RemovalReport* report)
{
    return ProgramStopper(places, report).endProgram(fullPath);
}

bool unregisterServer(const std::string& path, const ProtectedPlaces& places,
                      RemovalReport* report)
{
    return ProgramStopper(places, report).unregister(path);
}

void stopProgramFile(const std::string& path, const ProtectedPlaces& places,
                     RemovalReport* report)
{
    ProgramStopper(places, report).stopFile(path);
}

bool stopFolderPrograms(const std::string& folder, const ProtectedPlaces& places,
                        RemovalReport* report)
{
    return ProgramStopper(places, report).stopFolder(folder);
}

ProgramStopper::ProgramStopper(const ProtectedPlaces& places, RemovalReport* report)
    : places_(places), report_(report)
{
}

std::vector<ProgramStopper::Process>& ProgramStopper::processes()
{
    if (listed_)
        return processes_;
    listed_ = true;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return processes_;
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0)
            continue;
        // A process whose path cannot be read is never matched.
        std::string image = processImagePath(entry.th32ProcessID);
        if (!image.empty())
            processes_.push_back(Process{entry.th32ProcessID, image, std::string(), false, false});
    }
    return processes_;
}

bool ProgramStopper::kept(const std::string& path)
{
    return keptAsProtected(path, places_, report_);
}

bool ProgramStopper::spared(const std::string& path, const HeldFile& file)
{
    const std::string reason = reasonToSpare(path, file, places_);
    if (reason.empty())
        return false;
    if (report_ != nullptr)
        report_->programStep(ProgramStep{ProgramStep::Spared, path, reason});
    return true;
}

int ProgramStopper::endProgram(const std::string& fullPath)
{
    if (fullPath.empty() || kept(fullPath))
        return 0;
    const std::string wantedLong = longForm(fullPath);
    std::optional<HeldFile> file;
    int ended = 0;
    for (Process& listed : processes()) {
        if (listed.ended)
            continue;
        if (!sameText(listed.image, fullPath)) {
            if (!listed.longRead) {
                listed.longImage = longForm(listed.image);
                listed.longRead = true;
            }
            if (!sameText(listed.longImage, wantedLong))
                continue;
        }
        if (kept(listed.image))
            continue;
        // The file is judged when it is first found running.
        if (!file) {
            file.emplace(fullPath);
            if (spared(fullPath, *file))
                return 0;
        }
        ScopedHandle process(OpenProcess(
            PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, listed.id));
        if (!process.valid())
            continue;
        // The id may belong to another program by now; the open handle keeps
        // it from passing on again before the end.
        if (!sameText(imageOf(process.get(), listed.id), listed.image))
            continue;
        if (!TerminateProcess(process.get(), 0))
            continue;
        waitForProcess(process.get(), kProcessEndWait, report_);
        listed.ended = true;
        ++ended;
        if (report_ != nullptr)
            report_->programStep(ProgramStep{ProgramStep::Terminated, listed.image, std::string()});
    }
    return ended;
}

bool ProgramStopper::unregister(const std::string& path)
{
    if (kept(path))
        return false;
    const HeldFile file(path);
    if (spared(path, file))
        return false;
    // regsvr32 loads the file and calls its DllUnregisterServer: for a file
    // that has none it would only cost a process start.
    if (fileExports(path, "DllUnregisterServer") == PeExport::NotExported)
        return false;
    ScopedHandle process;
    bool ran = false;
    {
        const RegisteringProgram program = registeringProgramFor(path);
        // The shell may load DLLs: redirection is on around it, and the 64-bit
        // System32 is reached through its alias.
        const ScopedFsRedirectionOn shell;
        ran = launchProgram(program.file, "/u /s \"" + program.target + "\"", process);
    }
    if (ran && process.valid())
        ran = waitForProcess(process.get(), kHelperProgramWait, report_);
    if (report_ != nullptr)
        report_->programStep(
            ProgramStep{ran ? ProgramStep::Unregistered : ProgramStep::UnregisterFailed, path,
                        std::string()});
    return ran;
}

void ProgramStopper::stopFile(const std::string& path)
{
    if (hasExtension(path, "exe"))
        endProgram(path);
    else if (hasExtension(path, "dll") || hasExtension(path, "ocx"))
        unregister(path);
}

bool ProgramStopper::stopFolder(const std::string& folder)
{
    DWORD attributes = attributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        isReparsePoint(attributes))
        return false;
    stopEntriesOf(folder, false);
    stopEntriesOf(folder, true);
    return true;
}

void ProgramStopper::stopEntriesOf(const std::string& folder, bool descend)
{
    listFolder(folder, ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& entry) {
        if (isReparsePoint(entry.dwFileAttributes))
            return true;
        const std::string path = joinPath(folder, entry.cFileName);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (descend && !places_.isProtectedFolder(path))
                stopFolder(path);
        } else {
            stopFile(path);
        }
        return true;
    });
}

bool hasExtension(const std::string& path, const char* ext)
{
    return sameText(fileExtension(path), ext);
}

}  // namespace kestrune
