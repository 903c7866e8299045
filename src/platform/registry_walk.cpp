// Link-safe registry walks, deletes by handle, and real key names.
#include "platform/registry_walk.h"

#include <sddl.h>

#include <vector>

namespace kestrune {

namespace {

const wchar_t kLinkValue[] = L"SymbolicLinkValue";
// The longest key name the registry allows, and its terminator.
constexpr DWORD kKeyNameBuffer = 256;
// KEY_INFORMATION_CLASS KeyNameInformation.
constexpr int kKeyNameInformation = 3;

using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE);
using NtQueryKeyFunction = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using RtlNtStatusToDosErrorFunction = ULONG(WINAPI*)(LONG);

FARPROC ntdllFunction(const char* name)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr ? nullptr : GetProcAddress(ntdll, name);
}

// NtDeleteKey on the handle itself: RegDeleteKey(parent, name) on a link
// would follow the name to the link's target and delete that.
LONG deleteByHandle(HKEY key)
{
    static const auto deleteKey =
        reinterpret_cast<NtDeleteKeyFunction>(ntdllFunction("NtDeleteKey"));
    static const auto toError =
        reinterpret_cast<RtlNtStatusToDosErrorFunction>(ntdllFunction("RtlNtStatusToDosError"));
    if (deleteKey == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    const LONG status = deleteKey(key);
    if (status == 0)
        return ERROR_SUCCESS;
    return toError != nullptr ? static_cast<LONG>(toError(status)) : ERROR_ACCESS_DENIED;
}

std::vector<std::wstring> keyParts(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    std::wstring::size_type start = 0;
    while (start <= path.size()) {
        std::wstring::size_type end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// True when `key` is a link; `target` gets its target in the kernel's form.
bool isLink(HKEY key, std::wstring& target)
{
    DWORD type = 0;
    DWORD size = 0;
    LONG code = RegQueryValueExW(key, kLinkValue, nullptr, &type, nullptr, &size);
    if ((code != ERROR_SUCCESS && code != ERROR_MORE_DATA) || type != REG_LINK)
        return false;
    target.assign(size / sizeof(wchar_t), L'\0');
    if (size > 0 && RegQueryValueExW(key, kLinkValue, nullptr, &type,
                                     reinterpret_cast<BYTE*>(&target[0]), &size) != ERROR_SUCCESS)
        target.clear();
    target.resize(size / sizeof(wchar_t));
    while (!target.empty() && target.back() == L'\0')
        target.pop_back();
    return true;
}

}  // namespace

std::wstring kernelKeyName(HKEY key)
{
    static const auto queryKey =
        reinterpret_cast<NtQueryKeyFunction>(ntdllFunction("NtQueryKey"));
    if (queryKey == nullptr)
        return std::wstring();
    std::vector<ULONG> buffer(256);
    for (int tries = 0; tries < 4; ++tries) {
        ULONG needed = 0;
        const ULONG bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
        const LONG status = queryKey(key, kKeyNameInformation, buffer.data(), bytes, &needed);
        if (status == 0) {
            const ULONG length = buffer[0];
            if (length > bytes - sizeof(ULONG))
                return std::wstring();
            return std::wstring(reinterpret_cast<const wchar_t*>(&buffer[1]),
                                length / sizeof(wchar_t));
        }
        if (needed <= bytes)
            return std::wstring();
        buffer.resize(needed / sizeof(ULONG) + 1);
    }
    return std::wstring();
}

namespace {

// The string form of the current user's SID, the name of their hive below
// \REGISTRY\USER; empty when the system does not say.
std::wstring currentUserSid()
{
    static const std::wstring sid = [] {
        HANDLE opened = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
            return std::wstring();
        ScopedHandle token(opened);
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        wchar_t* text = nullptr;
        if (size == 0 ||
            !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
            !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                    &text))
            return std::wstring();
        std::wstring result(text);
        LocalFree(text);
        return result;
    }();
    return sid;
}

bool startsWithFolded(const std::wstring& text, const std::wstring& head)
{
    return text.size() >= head.size() &&
           foldedKeyText(text.substr(0, head.size())) == foldedKeyText(head);
}

// The system's own links, followed: "SYSTEM\CurrentControlSet" of the
// machine to one of its numbered control sets, and a user's
// "Software\Classes" to that user's classes hive.
bool systemLink(HKEY root, const std::wstring& path, const std::wstring& target)
{
    const std::wstring spelled = foldedKeyText(path);
    const std::wstring to = foldedKeyText(target);
    if (root == HKEY_LOCAL_MACHINE && spelled == L"system\\currentcontrolset") {
        const std::wstring head = L"\\registry\\machine\\system\\controlset";
        return to.size() == head.size() + 3 && to.compare(0, head.size(), head) == 0 &&
               to.find_first_not_of(L"0123456789", head.size()) == std::wstring::npos;
    }
    std::wstring sid;
    if (root == HKEY_CURRENT_USER && spelled == L"software\\classes") {
        sid = currentUserSid();
    } else if (root == HKEY_USERS) {
        const std::wstring::size_type slash = spelled.find(L'\\');
        if (slash == std::wstring::npos || spelled.substr(slash) != L"\\software\\classes")
            return false;
        sid = path.substr(0, slash);
    } else {
        return false;
    }
    return !sid.empty() && to == foldedKeyText(L"\\REGISTRY\\USER\\" + sid + L"_Classes");
}

// The one open of a single part below `parent`; the registry view is part of
// `access` here.
LONG openPart(HKEY parent, const std::wstring& part, bool followLink, REGSAM access, HKEY& out)
{
    out = nullptr;
    return RegOpenKeyExW(parent, part.c_str(), followLink ? 0 : REG_OPTION_OPEN_LINK,
                         access | KEY_QUERY_VALUE, &out);
}

LONG createPart(HKEY parent, const std::wstring& part, REGSAM access, HKEY& out,
                DWORD& disposition)
{
    out = nullptr;
    return RegCreateKeyExW(parent, part.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access | KEY_QUERY_VALUE, nullptr, &out, &disposition);
}

KeyOpening walk(HKEY root, const std::wstring& path, REGSAM access, bool create,
                RegistryKey& key, REGSAM view)
{
    access |= view;
    key.reset();
    KeyOpening result;
    const std::vector<std::wstring> parts = keyParts(path);
    RegistryKey current;
    if (parts.empty()) {
        HKEY opened = nullptr;
        result.code = RegOpenKeyExW(root, L"", 0, access | KEY_QUERY_VALUE, &opened);
        result.walk = result.code == ERROR_SUCCESS ? KeyWalk::Opened : KeyWalk::Failed;
        key.reset(opened);
        return result;
    }
    std::wstring spelled;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        // A key that may get a subkey created below it is opened with the
        // right to create one, where that right is granted.
        REGSAM partAccess = (last ? access : create ? KEY_CREATE_SUB_KEY : 0) | view;
        HKEY parent = current.valid() ? current.get() : root;
        spelled += (i == 0 ? L"" : L"\\") + parts[i];
        HKEY opened = nullptr;
        result.code = openPart(parent, parts[i], false, partAccess, opened);
        if (result.code == ERROR_ACCESS_DENIED && !last && create) {
            partAccess = view;
            result.code = openPart(parent, parts[i], false, partAccess, opened);
        }
        if (result.code == ERROR_FILE_NOT_FOUND && create) {
            DWORD disposition = 0;
            result.code = createPart(parent, parts[i], partAccess, opened, disposition);
            // Made meanwhile by someone else: it may be a link, so judge it.
            if (result.code == ERROR_SUCCESS && disposition == REG_OPENED_EXISTING_KEY) {
                RegCloseKey(opened);
                result.code = openPart(parent, parts[i], false, partAccess, opened);
            }
        }
        if (result.code != ERROR_SUCCESS) {
            result.walk =
                result.code == ERROR_FILE_NOT_FOUND ? KeyWalk::Missing : KeyWalk::Failed;
            return result;
        }
        RegistryKey next(opened);
        std::wstring target;
        if (isLink(next.get(), target)) {
            if (!systemLink(root, spelled, target)) {
                result.linkPath = narrowAnsi(spelled);
                result.walk = last ? KeyWalk::Link : KeyWalk::ThroughLink;
                if (last)
                    key = std::move(next);
                return result;
            }
            next.reset();
            result.code = openPart(parent, parts[i], true, partAccess, opened);
            if (result.code != ERROR_SUCCESS) {
                result.walk =
                    result.code == ERROR_FILE_NOT_FOUND ? KeyWalk::Missing : KeyWalk::Failed;
                return result;
            }
            next.reset(opened);
        }
        current = std::move(next);
    }
    key = std::move(current);
    result.walk = KeyWalk::Opened;
    return result;
}

std::wstring withoutWow6432Node(const std::wstring& path)
{
    std::wstring out;
    for (const std::wstring& part : keyParts(path)) {
        if (foldedKeyText(part) == L"wow6432node")
            continue;
        out += (out.empty() ? L"" : L"\\") + part;
    }
    return out;
}

// `path` below a "...\Software\Classes" prefix: true with the rest in `rest`.
bool belowClasses(const std::wstring& path, std::wstring& rest)
{
    const std::wstring head = L"software\\classes";
    if (!startsWithFolded(path, head) ||
        (path.size() > head.size() && path[head.size()] != L'\\'))
        return false;
    rest = path.size() > head.size() ? path.substr(head.size() + 1) : std::wstring();
    return true;
}

}  // namespace

KeyOpening openKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access,
                               RegistryKey& key, REGSAM view)
{
    return walk(root, path, access, false, key, view);
}

KeyOpening openKeyWithoutLinks(HKEY root, const std::string& path, REGSAM access,
                               RegistryKey& key, REGSAM view)
{
    return walk(root, widenAnsi(path), access, false, key, view);
}

KeyOpening createKeyWithoutLinks(HKEY root, const std::wstring& path, REGSAM access,
                                 RegistryKey& key, REGSAM view)
{
    return walk(root, path, access, true, key, view);
}

LONG deleteKeyAndSubkeys(HKEY key, REGSAM view)
{
    for (;;) {
        // Index 0 each time: each pass deletes the subkey just listed.
        wchar_t name[kKeyNameBuffer];
        DWORD length = kKeyNameBuffer;
        LONG code = RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        if (code != ERROR_SUCCESS)
            return code;
        HKEY opened = nullptr;
        code = openPart(key, std::wstring(name, length), false, kTreeDeleteAccess | view, opened);
        if (code != ERROR_SUCCESS)
            return code;
        RegistryKey subkey(opened);
        std::wstring target;
        code = isLink(subkey.get(), target) ? deleteByHandle(subkey.get())
                                            : deleteKeyAndSubkeys(subkey.get(), view);
        if (code != ERROR_SUCCESS)
            return code;
    }
    return deleteByHandle(key);
}

std::wstring foldedKeyText(std::wstring text)
{
    if (!text.empty())
        CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

LONG deleteLinkKey(HKEY link)
{
    return deleteByHandle(link);
}

bool mapKernelKeyName(const std::wstring& kernelName, const std::wstring& currentSid,
                      std::wstring& hive, std::wstring& path)
{
    const std::wstring machine = L"\\registry\\machine";
    const std::wstring user = L"\\registry\\user";
    std::wstring rest;
    std::wstring below;
    if (startsWithFolded(kernelName, machine) &&
        (kernelName.size() == machine.size() || kernelName[machine.size()] == L'\\')) {
        rest = withoutWow6432Node(kernelName.substr(machine.size()));
        if (belowClasses(rest, below)) {
            hive = L"HKEY_CLASSES_ROOT";
            path = below;
        } else {
            hive = L"HKEY_LOCAL_MACHINE";
            path = rest;
        }
        return true;
    }
    if (!startsWithFolded(kernelName, user + L"\\"))
        return false;
    rest = withoutWow6432Node(kernelName.substr(user.size()));
    const std::wstring::size_type slash = rest.find(L'\\');
    const std::wstring sid = rest.substr(0, slash);
    const std::wstring inside =
        slash == std::wstring::npos ? std::wstring() : rest.substr(slash + 1);
    const std::wstring classesTail = L"_classes";
    if (sid.size() > classesTail.size() &&
        foldedKeyText(sid.substr(sid.size() - classesTail.size())) == classesTail) {
        hive = L"HKEY_CLASSES_ROOT";
        path = inside;
        return true;
    }
    const bool current = !currentSid.empty() && foldedKeyText(sid) == foldedKeyText(currentSid);
    if (current && belowClasses(inside, below)) {
        hive = L"HKEY_CLASSES_ROOT";
        path = below;
    } else if (current) {
        hive = L"HKEY_CURRENT_USER";
        path = inside;
    } else {
        hive = L"HKEY_USERS";
        path = inside.empty() ? sid : sid + L"\\" + inside;
    }
    return true;
}

bool keyRealName(HKEY key, std::string& hive, std::string& path)
{
    const std::wstring name = kernelKeyName(key);
    std::wstring wideHive;
    std::wstring widePath;
    if (name.empty() || !mapKernelKeyName(name, currentUserSid(), wideHive, widePath))
        return false;
    hive = narrowAnsi(wideHive);
    path = narrowAnsi(widePath);
    return true;
}

std::wstring widenAnsi(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            size);
    return wide;
}

std::string narrowAnsi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    // UTF-8 (the code page the program asks for) holds every name and takes
    // no flags; a legacy code page must not put a look-alike for a name.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, flags, text.data(),
                            static_cast<int>(text.size()), &narrow[0], size, nullptr, nullptr);
    return narrow;
}

}  // namespace kestrune
