// Ending programs and unregistering components before their files go.
#include "removal/process_control.h"

#include "platform/handles.h"
#include "platform/shell.h"
#include "platform/text_compare.h"
#include "removal/folder_utils.h"

#include <tlhelp32.h>

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

std::vector<DWORD> processIds()
{
    std::vector<DWORD> ids;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry))
        ids.push_back(entry.th32ProcessID);
    return ids;
}

void stopProgramsIn(const std::string& folder, const ProtectedPlaces& places,
                    RemovalReport* report, bool descend)
{
    listFolder(folder, ListingRule::DotPrefix, [&](const WIN32_FIND_DATAA& entry) {
        if (isReparsePoint(entry.dwFileAttributes))
            return true;
        const std::string path = joinPath(folder, entry.cFileName);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (descend && !places.isProtectedFolder(path))
                stopFolderPrograms(path, places, report);
        } else {
            stopProgramFile(path, places, report);
        }
        return true;
    });
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

}  // namespace

bool waitForProcess(HANDLE process, DWORD timeout, Responsiveness* responsiveness)
{
    if (responsiveness != nullptr)
        return responsiveness->waitForProcess(process, timeout);
    return WaitForSingleObject(process, timeout) == WAIT_OBJECT_0;
}

std::string processImagePath(DWORD processId)
{
    if (QueryImageNameFunction query = queryImageNameFunction()) {
        ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
        if (process.valid()) {
            char buffer[MAX_PATH * 2];
            DWORD size = sizeof buffer;
            if (query(process.get(), 0, buffer, &size))
                return std::string(buffer, size);
        }
    }
    return mainModulePath(processId);
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
    if (keptAsProtected(fullPath, places, report))
        return 0;
    const DWORD self = GetCurrentProcessId();
    int ended = 0;
    for (DWORD id : processIds()) {
        if (id == self || id == 0)
            continue;
        const std::string image = processImagePath(id);
        if (!samePath(image, fullPath) || keptAsProtected(image, places, report))
            continue;
        ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process.valid() || !TerminateProcess(process.get(), 0))
            continue;
        waitForProcess(process.get(), kProcessEndWait, report);
        ++ended;
        if (report != nullptr)
            report->programStep(ProgramStep{ProgramStep::Terminated, image});
    }
    return ended;
}

bool unregisterServer(const std::string& path, const ProtectedPlaces& places,
                      RemovalReport* report)
{
    if (keptAsProtected(path, places, report))
        return false;
    ScopedHandle process;
    bool ran = launchProgram("regsvr32.exe", "/u /s \"" + path + "\"", process);
    if (ran && process.valid())
        ran = waitForProcess(process.get(), kHelperProgramWait, report);
    if (report != nullptr)
        report->programStep(
            ProgramStep{ran ? ProgramStep::Unregistered : ProgramStep::UnregisterFailed, path});
    return ran;
}

void stopProgramFile(const std::string& path, const ProtectedPlaces& places,
                     RemovalReport* report)
{
    if (hasExtension(path, "exe"))
        terminateProcessByName(path, places, report);
    else if (hasExtension(path, "dll") || hasExtension(path, "ocx"))
        unregisterServer(path, places, report);
}

bool stopFolderPrograms(const std::string& folder, const ProtectedPlaces& places,
                        RemovalReport* report)
{
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        isReparsePoint(attributes))
        return false;
    stopProgramsIn(folder, places, report, false);
    stopProgramsIn(folder, places, report, true);
    return true;
}

bool hasExtension(const std::string& path, const char* ext)
{
    return sameText(fileExtension(path), ext);
}

}  // namespace kestrune
