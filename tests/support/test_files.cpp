// Files, folders and registry keys made by tests.
#include "test_files.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

namespace kestrune {
namespace testing_support {

void makeFolder(const std::string& path)
{
    std::string partial;
    size_t at = 0;
    while (at <= path.size()) {
        size_t slash = path.find('\\', at);
        if (slash == std::string::npos)
            slash = path.size();
        partial = path.substr(0, slash);
        at = slash + 1;
        if (partial.size() <= 2 || partial.back() == ':')
            continue;   // "C:" or the empty start of "\\server"
        if (!CreateDirectoryA(partial.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            ADD_FAILURE() << "cannot create folder " << partial;
    }
}

void makeFile(const std::string& path, const std::string& content)
{
    makeFolder(parentFolderOf(path));
    if (!writeWholeFile(path, content))
        ADD_FAILURE() << "cannot create file " << path;
}

std::string freshFolder()
{
    static int serial = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':')
            c = '_';
    }
    std::string folder = "C:\\kt\\" + name + "-" + std::to_string(++serial);
    makeFolder(folder);
    return folder;
}

namespace {

std::wstring widened(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

}  // namespace

std::string makeTooDeepFolder(const std::string& base)
{
    const std::string segment(50, 'd');
    std::wstring wide = L"\\\\?\\" + widened(base);
    std::string path = base;
    std::string firstUnlisted;
    for (int level = 0; level < 8; ++level) {
        wide += L"\\" + widened(segment);
        path += "\\" + segment;
        if (!CreateDirectoryW(wide.c_str(), nullptr)) {
            ADD_FAILURE() << "cannot create level " << level << " below " << base;
            return std::string();
        }
        WIN32_FIND_DATAA entry;
        HANDLE listing = FindFirstFileA((path + "\\*.*").c_str(), &entry);
        if (listing != INVALID_HANDLE_VALUE)
            FindClose(listing);
        else if (firstUnlisted.empty())
            firstUnlisted = path;
    }
    HANDLE file = CreateFileW((wide + L"\\deep.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        ADD_FAILURE() << "cannot create the deep file below " << base;
    else
        CloseHandle(file);
    if (firstUnlisted.empty())
        ADD_FAILURE() << "every level below " << base << " can be listed";
    return firstUnlisted;
}

void makeWideEntry(const std::string& folder, const std::wstring& wideName, bool isFolder)
{
    const std::wstring path = widened(folder) + L"\\" + wideName;
    if (isFolder) {
        if (!CreateDirectoryW(path.c_str(), nullptr))
            ADD_FAILURE() << "cannot create a wide-named folder in " << folder;
        return;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        ADD_FAILURE() << "cannot create a wide-named file in " << folder;
    else
        CloseHandle(file);
}

void makeUserKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create key " << path;
        return;
    }
    RegCloseKey(key);
}

void setUserValue(const std::string& path, const std::string& name, const std::string& data)
{
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create key " << path;
        return;
    }
    if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1)) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set value " << name;
    RegCloseKey(key);
}

void deleteUserKeyTree(const std::string& path)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace testing_support
}  // namespace kestrune
