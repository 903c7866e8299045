// The set of protected places and its questions; the machine's own places are
// gathered in machine_places.cpp.
#include "safety/protected_places.h"

#include "platform/paths.h"
#include "platform/text_compare.h"
#include "safety/place_paths.h"

#include <windows.h>

#include <iterator>
#include <vector>

namespace kestrune {

namespace {

// The files Windows cannot start or log on without, folded; protected where
// they lie directly in the Windows folder or a system folder. Wine's own
// service programs (rpcss.exe, plugplay.exe, winedevice.exe) are among them.
const char* const kSystemFileNames[] = {
    "ntdll.dll", "kernel32.dll", "kernelbase.dll", "user32.dll", "gdi32.dll", "gdi32full.dll",
    "win32u.dll", "advapi32.dll", "sechost.dll", "rpcrt4.dll", "combase.dll", "ole32.dll",
    "oleaut32.dll", "shell32.dll", "shlwapi.dll", "shcore.dll", "comctl32.dll", "comdlg32.dll",
    "msvcrt.dll", "ucrtbase.dll", "imm32.dll", "version.dll", "userenv.dll", "setupapi.dll",
    "cfgmgr32.dll", "ws2_32.dll", "mswsock.dll", "wininet.dll", "urlmon.dll", "crypt32.dll",
    "cryptbase.dll", "bcrypt.dll", "rsaenh.dll", "secur32.dll", "sspicli.dll", "netapi32.dll",
    "msi.dll", "mpr.dll", "uxtheme.dll", "sfc.dll", "sfc_os.dll", "lsasrv.dll", "samsrv.dll",
    "winsrv.dll", "basesrv.dll", "csrsrv.dll", "msgina.dll", "hal.dll", "kdcom.dll", "ci.dll",
    "win32k.sys", "ntoskrnl.exe", "ntkrnlpa.exe", "smss.exe", "csrss.exe", "wininit.exe",
    "winlogon.exe", "services.exe", "lsass.exe", "lsm.exe", "svchost.exe", "userinit.exe",
    "explorer.exe", "logonui.exe", "dwm.exe", "conhost.exe", "taskhost.exe", "taskhostw.exe",
    "sihost.exe", "fontdrvhost.exe", "dllhost.exe", "spoolsv.exe", "msiexec.exe", "cmd.exe",
    "rundll32.exe", "regsvr32.exe", "regedit.exe", "reg.exe", "taskmgr.exe", "sfc.exe",
    "rpcss.exe", "plugplay.exe", "winedevice.exe", "ntfs.sys", "disk.sys", "classpnp.sys",
    "partmgr.sys", "volmgr.sys", "mountmgr.sys", "acpi.sys", "pci.sys", "ndis.sys", "tcpip.sys",
    "fltmgr.sys", "ksecdd.sys", "atapi.sys", "storport.sys", "winload.exe", "winload.efi",
    "winresume.exe", "winresume.efi",
};

// The files at a drive root that start Windows or hold its memory, folded.
const char* const kBootFileNames[] = {
    "bootmgr", "bootnxt", "boot.ini", "ntldr", "ntdetect.com", "bootsect.bak", "pagefile.sys",
    "hiberfil.sys", "swapfile.sys",
};

// The folders at a drive root that start Windows, folded: protected with
// everything below them.
const char* const kBootFolderNames[] = {"boot", "efi"};

// What the installer puts beside the program, folded (besides the ".ks" file).
const char* const kOwnFileNames[] = {"kestrune.exe", "kestrune-cli.exe", "uninst.exe", "readme.txt"};

const std::unordered_set<std::string>& systemFileNames()
{
    static const std::unordered_set<std::string> names(std::begin(kSystemFileNames),
                                                       std::end(kSystemFileNames));
    return names;
}

const std::unordered_set<std::string>& bootFileNames()
{
    static const std::unordered_set<std::string> names(std::begin(kBootFileNames),
                                                       std::end(kBootFileNames));
    return names;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool beginsWith(const std::string& text, const std::string& begin)
{
    return text.compare(0, begin.size(), begin) == 0;
}

// True when the comparable path `form` is a boot folder at a drive root or
// lies below one. The names are plain ASCII, which no trail byte follows.
bool inBootFolder(const std::string& form)
{
    for (const char* name : kBootFolderNames) {
        const std::string folder = name;
        if (form.compare(3, folder.size(), folder) == 0 &&
            (form.size() == 3 + folder.size() || form[3 + folder.size()] == '\\'))
            return true;
    }
    return false;
}

// Reads a run of digits at `at`; false when there is none.
bool skipDigits(const std::string& text, size_t& at)
{
    const size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    return at > start;
}

bool skipText(const std::string& text, size_t& at, const char* expected)
{
    const std::string want = expected;
    if (text.compare(at, want.size(), want) != 0)
        return false;
    at += want.size();
    return true;
}

// A dated log name without its prefix, folded: "D-M-YYYY (h-m-s).txt".
bool isDatedName(const std::string& name, size_t at)
{
    return skipDigits(name, at) && skipText(name, at, "-") && skipDigits(name, at) &&
           skipText(name, at, "-") && skipDigits(name, at) && skipText(name, at, " (") &&
           skipDigits(name, at) && skipText(name, at, "-") && skipDigits(name, at) &&
           skipText(name, at, "-") && skipDigits(name, at) && skipText(name, at, ").txt") &&
           at == name.size();
}

// The name of a log or report Kestrune writes, folded: "log.txt", or a dated
// name alone (a removal log), after "restore " (a restore log) or after
// "scan " (a scan report).
bool isLogName(const std::string& name)
{
    if (name == "log.txt" || isDatedName(name, 0))
        return true;
    for (const char* prefix : {"restore ", "scan "}) {
        if (beginsWith(name, prefix) && isDatedName(name, std::string(prefix).size()))
            return true;
    }
    return false;
}

bool isOwnFileName(const std::string& name)
{
    if (endsWith(name, ".ks"))
        return true;
    for (const char* own : kOwnFileNames) {
        if (name == own)
            return true;
    }
    return false;
}

// True when a folder keeping `kept` (bits of ProtectedPlaces::Kept) keeps the
// folded `name`.
bool keepsName(unsigned kept, const std::string& name)
{
    using Kept = ProtectedPlaces::Kept;
    auto has = [kept](Kept kind) { return (kept & (1u << static_cast<unsigned>(kind))) != 0; };
    return has(Kept::Everything) ||
           (has(Kept::SystemFiles) && systemFileNames().count(name) != 0) ||
           (has(Kept::Logs) && isLogName(name)) || (has(Kept::OwnFiles) && isOwnFileName(name)) ||
           (has(Kept::UserHive) && beginsWith(name, "ntuser.")) ||
           (has(Kept::ClassesHive) && beginsWith(name, "usrclass.dat"));
}

// SfcIsFileProtected of sfc.dll, which MinGW has no import library for.
// Loaded once and kept for the life of the program.
class FileProtection {
public:
    using Function = BOOL(WINAPI*)(HANDLE, LPCWSTR);

    FileProtection() : module_(LoadLibraryA("sfc.dll"))
    {
        if (module_ != nullptr)
            function_ = reinterpret_cast<Function>(GetProcAddress(module_, "SfcIsFileProtected"));
    }
    ~FileProtection()
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    FileProtection(const FileProtection&) = delete;
    FileProtection& operator=(const FileProtection&) = delete;

    // True when Windows says it protects `path`; false when it says not or
    // cannot say.
    bool protects(const std::string& path) const
    {
        if (function_ == nullptr)
            return false;
        const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        if (n <= 0)
            return false;
        std::wstring wide(static_cast<size_t>(n), L'\0');
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n) != n)
            return false;
        return function_(nullptr, wide.c_str()) != FALSE;
    }

private:
    HMODULE module_;
    Function function_ = nullptr;
};

const FileProtection& fileProtection()
{
    static const FileProtection protection;
    return protection;
}

}  // namespace

std::vector<std::string> ProtectedPlaces::addPlace(const std::string& path,
                                                   std::unordered_set<std::string>& into)
{
    std::vector<std::string> forms = comparablePaths(path);
    for (const std::string& form : forms) {
        into.insert(form);
        for (std::string up = parentPath(form); !up.empty(); up = parentPath(up))
            holders_.insert(up);
    }
    return forms;
}

void ProtectedPlaces::addFolder(const std::string& path)
{
    addPlace(path, folders_);
}

void ProtectedPlaces::addTree(const std::string& path)
{
    addPlace(path, trees_);
}

void ProtectedPlaces::addFile(const std::string& path)
{
    addPlace(path, files_);
}

void ProtectedPlaces::addKeepingFolder(const std::string& path, Kept kept)
{
    for (const std::string& form : addPlace(path, folders_))
        keepingFolders_[form] |= 1u << static_cast<unsigned>(kept);
}

void ProtectedPlaces::setSettingsKey(const std::string& subKey)
{
    keys_ = ProtectedKeys(subKey);
}

bool ProtectedPlaces::protectedForm(const std::string& form) const
{
    if (isDriveRoot(form) || folders_.count(form) != 0 || holders_.count(form) != 0 ||
        files_.count(form) != 0)
        return true;
    for (std::string up = form; !up.empty(); up = parentPath(up)) {
        if (trees_.count(up) != 0)
            return true;
    }
    if (inBootFolder(form))
        return true;
    const std::string parent = parentPath(form);
    if (parent.empty())
        return false;
    const std::string name = lastPart(form);
    if (isDriveRoot(parent) && bootFileNames().count(name) != 0)
        return true;
    const auto keeping = keepingFolders_.find(parent);
    return keeping != keepingFolders_.end() && keepsName(keeping->second, name);
}

bool ProtectedPlaces::isProtectedFolder(const std::string& path) const
{
    const std::vector<std::string> forms = comparablePaths(path);
    if (forms.empty())
        return true;   // cannot be compared safely
    for (const std::string& form : forms) {
        if (protectedForm(form))
            return true;
    }
    return false;
}

bool ProtectedPlaces::isProtectedFile(const std::string& path) const
{
    return formsProtected(comparablePaths(path));
}

bool ProtectedPlaces::isProtectedPlace(const std::string& path) const
{
    // The file question asks everything the folder question asks of each form.
    return isProtectedFile(path);
}

bool ProtectedPlaces::formsProtected(const std::vector<std::string>& forms) const
{
    if (forms.empty())
        return true;
    for (const std::string& form : forms) {
        if (protectedForm(form) || fileProtection().protects(form))
            return true;
    }
    return false;
}

bool ProtectedPlaces::isSystemFileName(const std::string& name) const
{
    std::string folded = foldedText(name);
    const std::string::size_type slash = folded.find_last_of("\\/:");
    if (slash != std::string::npos)
        folded.erase(0, slash + 1);
    const std::string::size_type end = folded.find_last_not_of(". ");
    folded.erase(end == std::string::npos ? 0 : end + 1);
    const std::string mui = ".mui";
    if (folded.size() > mui.size() &&
        folded.compare(folded.size() - mui.size(), mui.size(), mui) == 0)
        folded.erase(folded.size() - mui.size());
    if (folded.empty())
        return false;
    std::vector<std::string> candidates{folded};
    if (folded.find('.') == std::string::npos) {
        candidates.push_back(folded + ".dll");
        candidates.push_back(folded + ".exe");
    }
    for (const std::string& candidate : candidates) {
        if (systemFileNames().count(candidate) != 0)
            return true;
        for (const auto& keeping : keepingFolders_) {
            if ((keeping.second & (1u << static_cast<unsigned>(Kept::SystemFiles))) == 0)
                continue;
            const std::string form = keeping.first + "\\" + candidate;
            if (files_.count(form) != 0 || fileProtection().protects(form))
                return true;
        }
    }
    return false;
}

bool ProtectedPlaces::isProtectedKey(const std::string& hiveName, const std::string& subKey) const
{
    return keys_.isProtectedKey(hiveName, subKey);
}

bool ProtectedPlaces::isProtectedValue(const std::string& hiveName, const std::string& subKey,
                                       const std::string& valueName) const
{
    return keys_.isProtectedValue(hiveName, subKey, valueName);
}

}  // namespace kestrune
