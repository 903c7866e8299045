// Work folders and file helpers of the file-system tests, built on plain Win32
// so that they do not depend on the walks they help to test.
#include "support/temp_folder.h"

#include "platform/handles.h"
#include "platform/wide_paths.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

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
    EXPECT_TRUE(isFolder(folder)) << folder;
    return folder;
}

void writeTextFile(const std::string& path, const std::string& text)
{
    makeFolders(parentFolderOf(path));
    ASSERT_TRUE(writeWholeFile(path, text)) << path;
}

std::string readTextFile(const std::string& path)
{
    std::string text;
    readWholeFile(path, text, FILE_SHARE_READ);
    return text;
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
