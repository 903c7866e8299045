// Fixtures of the removal and backup tests.
#include "support/removal_fixtures.h"

#include "platform/registry_walk.h"
#include "safety/own_places.h"
#include "settings/settings_store.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <memory>

namespace kestrune {
namespace testing_support {

namespace {

template <typename Item>
Item& appended(OwnedList<Item>& list, bool selected)
{
    list.push_back(std::make_unique<Item>());
    list.back()->selected = selected ? 1 : 0;
    return *list.back();
}

bool processListed(DWORD id)
{
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == id)
            return true;
    }
    return false;
}

}  // namespace

Parasite& parasiteNamed(ParasiteList& list, const std::string& name)
{
    auto parasite = std::make_unique<Parasite>();
    parasite->name = name;
    Parasite& added = *parasite;
    list.append(std::move(parasite));
    return added;
}

FileItem& fileItem(Parasite& parasite, const std::string& name, const std::string& path,
                   bool selected)
{
    FileItem& item = appended(parasite.files, selected);
    item.name = name;
    item.path = path;
    return item;
}

DirectoryItem& folderItem(Parasite& parasite, const std::string& name, const std::string& path,
                          bool selected)
{
    DirectoryItem& item = appended(parasite.directories, selected);
    item.name = name;
    item.path = path;
    return item;
}

CookieItem& cookieItem(Parasite& parasite, const std::string& name, bool selected)
{
    CookieItem& item = appended(parasite.cookies, selected);
    item.name = name;
    return item;
}

RegistryKeyItem& keyItem(Parasite& parasite, const std::string& main, const std::string& sub,
                         const std::string& value, bool selected)
{
    RegistryKeyItem& item = appended(parasite.registryKeys, selected);
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

RegistryValueItem& valueItem(Parasite& parasite, const std::string& main, const std::string& sub,
                             const std::string& value, bool selected)
{
    RegistryValueItem& item = appended(parasite.registryValues, selected);
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

void writeRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& data)
{
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.create(root, path.c_str())) << path;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)))
        << path << " : " << name;
}

bool registryKeyPresent(HKEY root, const std::string& path)
{
    RegistryKey key;
    return key.open(root, path.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool registryValuePresent(HKEY root, const std::string& path, const std::string& name)
{
    RegistryKey key;
    if (key.open(root, path.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void removeRegistryTree(HKEY root, const std::string& path)
{
    RegistryKey key;
    const KeyWalk walk = openKeyWithoutLinks(root, path, kTreeDeleteAccess, key).walk;
    if (walk == KeyWalk::Opened || walk == KeyWalk::Link)
        deleteKeyAndSubkeys(key.get());
}

void makeRegistryLink(HKEY root, const std::string& path, HKEY targetRoot,
                      const std::string& targetPath)
{
    RegistryKey target;
    ASSERT_EQ(ERROR_SUCCESS, target.open(targetRoot, targetPath.c_str(), KEY_QUERY_VALUE));
    const std::wstring kernel = kernelKeyName(target.get());
    ASSERT_FALSE(kernel.empty()) << targetPath;
    HKEY created = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE | REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &created, nullptr))
        << path;
    RegistryKey link(created);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(kernel.data()),
                             static_cast<DWORD>(kernel.size() * sizeof(wchar_t))));
}

void denyRegistryAccess(HKEY root, const std::string& path, DWORD access)
{
    RegistryKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.open(root, path.c_str(), KEY_ALL_ACCESS | WRITE_DAC)) << path;
    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              GetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &oldDacl, nullptr, &descriptor));
    EXPLICIT_ACCESSA deny = {};
    BuildExplicitAccessWithNameA(&deny, const_cast<char*>("EVERYONE"), access, DENY_ACCESS,
                                 NO_INHERITANCE);
    PACL newDacl = nullptr;
    DWORD made = SetEntriesInAclA(1, &deny, oldDacl, &newDacl);
    DWORD applied = made == ERROR_SUCCESS
                        ? SetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION,
                                          nullptr, nullptr, newDacl, nullptr)
                        : made;
    LocalFree(newDacl);
    LocalFree(descriptor);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), applied) << path;
}

const ProtectedPlaces& machinePlaces()
{
    static const ProtectedPlaces places = ProtectedPlaces::forThisMachine(ownPlacesFromSettings());
    return places;
}

std::string removalHelperPath()
{
    return programFolder() + "removal_helper.exe";
}

bool waitUntilHeld(const std::string& path)
{
    for (int i = 0; i < 100; ++i) {
        ScopedHandle file(
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.valid())
            return true;
        file.reset();
        Sleep(20);
    }
    return false;
}

StartedProgram::StartedProgram(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << program << " (error " << GetLastError() << ")";
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    WaitForInputIdle(info.hProcess, 2000);
    for (int i = 0; i < 100 && !processListed(id_); ++i)
        Sleep(20);
    // Give it the moment it needs to do its first step (open a held file).
    Sleep(300);
}

StartedProgram::~StartedProgram()
{
    if (process_.valid() && running()) {
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool StartedProgram::running() const
{
    return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

void copyHelperTo(const std::string& path, const std::string& helper)
{
    writeTextFile(path, "");
    ASSERT_TRUE(CopyFileA((programFolder() + helper).c_str(), path.c_str(), FALSE)) << path;
}

std::string pendingRenames()
{
    RegistryKey key;
    if (key.open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                 KEY_READ) != ERROR_SUCCESS)
        return std::string();
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr,
                         &size) != ERROR_SUCCESS ||
        size == 0)
        return std::string();
    std::string data(size, '\0');
    if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS)
        return std::string();
    data.resize(size);
    for (char& c : data) {
        if (c == '\0')
            c = '\n';
    }
    return data;
}

}  // namespace testing_support
}  // namespace kestrune
