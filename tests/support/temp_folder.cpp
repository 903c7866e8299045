// Work folders and file helpers of the file-system tests, built on plain Win32
// so that they do not depend on the walks they help to test.
#include "support/temp_folder.h"

#include "platform/handles.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kestrune {
namespace testing_support {

namespace {

const char kWorkRoot[] = "C:\\kestrune-work";

// Removes a tree made by the tests; links are removed without entering them.
void removeTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (find.valid()) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

void makeFolders(const std::string& path)
{
    for (std::string::size_type slash = path.find('\\', 3); ; slash = path.find('\\', slash + 1)) {
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        if (slash == std::string::npos)
            break;
    }
}

}  // namespace

std::string freshWorkFolder(const std::string& name)
{
    std::string folder = std::string(kWorkRoot) + "\\" + name;
    removeTree(folder);
    makeFolders(folder);
    EXPECT_TRUE(folderExists(folder)) << folder;
    return folder;
}

void writeTextFile(const std::string& path, const std::string& text)
{
    makeFolders(path.substr(0, path.find_last_of('\\')));
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << path;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                          nullptr));
}

std::string readTextFile(const std::string& path)
{
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool folderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!find.valid())
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find.get(), &entry));
    return names;
}

}  // namespace testing_support
}  // namespace kestrune
