// loadReferenceFile on real files under Wine: reading, sharing, failures, and
// the sample definitions that ship with the program.
#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "definitions/text_platform.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "platform/system_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using namespace kestrune;

namespace {

std::string tempFile(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(writeWholeFile(path, bytes)) << path;
}

void writeReferenceFile(const std::string& path, std::string markup)
{
    scrambleBytes(markup);
    writeFile(path, markup);
}

// The folder of this test program, where the sample reference file is copied.
std::string programFolder()
{
    return folderPartOf(moduleFilePath());
}

}  // namespace

TEST(ReferenceFile, LoadsAndReplacesTheList)
{
    const std::string path = tempFile("one.ks");
    writeReferenceFile(path, "<KS><SW NAME=\"A\"/><SW NAME=\"B\"/></KS>");
    ParasiteList list;
    ASSERT_TRUE(loadReferenceFile(path, list));
    ASSERT_EQ(2, list.count());
    EXPECT_EQ("B", list.at(1)->name);

    writeReferenceFile(path, "<KS><SW NAME=\"C\"/></KS>");
    ASSERT_TRUE(loadReferenceFile(path, list));
    ASSERT_EQ(1, list.count());
    EXPECT_EQ("C", list.at(0)->name);
    DeleteFileA(path.c_str());
}

TEST(ReferenceFile, UnreadableFilesLeaveTheListAlone)
{
    const std::string path = tempFile("kept.ks");
    writeReferenceFile(path, "<KS><SW NAME=\"Kept\"/></KS>");
    ParasiteList list;
    ASSERT_TRUE(loadReferenceFile(path, list));

    EXPECT_FALSE(loadReferenceFile(tempFile("missing.ks"), list));
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    EXPECT_FALSE(loadReferenceFile(dir, list));   // a folder

    // Another process or handle has the file open: the load needs it alone.
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_FALSE(loadReferenceFile(path, list));
    CloseHandle(other);

    std::string error;
    writeReferenceFile(path, "<KS><SW></KS>");
    EXPECT_FALSE(loadReferenceFile(path, list, &error));
    EXPECT_EQ("End tag does not correspond to SW", error);

    ASSERT_EQ(1, list.count());
    EXPECT_EQ("Kept", list.at(0)->name);
    DeleteFileA(path.c_str());
}

TEST(ReferenceFile, EmptyFileDoesNotParse)
{
    const std::string path = tempFile("empty.ks");
    writeFile(path, std::string());
    ParasiteList list;
    EXPECT_FALSE(loadReferenceFile(path, list));
    DeleteFileA(path.c_str());
}

TEST(ReferenceFile, FolderTokensUseThisMachine)
{
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    char programFiles[MAX_PATH];
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, sizeof programFiles);

    SystemFolders f = systemFolders();
    EXPECT_EQ(windows, f.windows);
    EXPECT_EQ(std::string(windows) + "\\System", f.windowsSystem);
    EXPECT_EQ(system, f.system32);
    EXPECT_EQ(programFiles, f.programFiles);

    const std::string path = tempFile("tokens.ks");
    writeReferenceFile(path, "<KS><SW NAME=\"T\"><FILES>"
                             "<FILE NAME=\"a\" PATH=\"Sys32Dir\\drivers\"/>"
                             "<FILE NAME=\"b\" PATH=\"PFDir\\Vendor\"/>"
                             "<FILE NAME=\"c\" PATH=\"SysDir\"/>"
                             "</FILES></SW></KS>");
    ParasiteList list;
    ASSERT_TRUE(loadReferenceFile(path, list));
    const Parasite& p = *list.at(0);
    EXPECT_EQ(std::string(system) + "\\drivers", p.files[0]->path);
    EXPECT_EQ(std::string(programFiles) + "\\Vendor", p.files[1]->path);
    EXPECT_EQ(std::string(windows) + "\\System", p.files[2]->path);
    DeleteFileA(path.c_str());
}

TEST(ReferenceFile, SampleDefinitionsLoad)
{
    ParasiteList list;
    ASSERT_TRUE(loadReferenceFile(programFolder() + "kestrune_020404_v2.ks", list));
    ASSERT_EQ(20, list.count());
    for (int i = 0; i < list.count(); ++i) {
        const Parasite& p = *list.at(i);
        EXPECT_FALSE(p.name.empty());
        for (const auto& d : p.directories)
            EXPECT_EQ(std::string::npos, d->path.find("Dir")) << p.name << ": " << d->path;
        for (const auto& f : p.files)
            EXPECT_EQ(std::string::npos, f->path.find("Dir")) << p.name << ": " << f->path;
    }
}

// A file larger than the process can hold is a failed load, not a crash.
TEST(ReferenceFile, FileTooLargeForMemoryFails)
{
    const std::string path = tempFile("huge.ks");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    LONG high = 0;
    SetFilePointer(h, 0x78000000, &high, FILE_BEGIN);   // about 1.9 GB, sparse
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);

    ParasiteList list;
    list.append(std::unique_ptr<Parasite>(new Parasite));
    list.at(0)->name = "Kept";
    EXPECT_FALSE(loadReferenceFile(path, list));
    ASSERT_EQ(1, list.count());
    EXPECT_EQ("Kept", list.at(0)->name);
    DeleteFileA(path.c_str());
}
