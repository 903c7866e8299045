// The export look-up of files: the two DLLs built for the tests (copied next
// to this program) and a file that is not there.
#include "platform/file_bytes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace ks = kestrune;
using ks::PeExport;

namespace {

const char kWanted[] = "DllUnregisterServer";

std::string besideProgram(const std::string& name)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

}  // namespace

TEST(FileBytes, TheTestDllsAreReadFromTheirFiles)
{
    EXPECT_EQ(PeExport::Exported, ks::fileExports(besideProgram("test_component.dll"), kWanted));
    EXPECT_EQ(PeExport::NotExported, ks::fileExports(besideProgram("test_library.dll"), kWanted));
    EXPECT_EQ(PeExport::Exported, ks::fileExports(besideProgram("test_library.dll"), "Answer"));
    EXPECT_EQ(PeExport::Unreadable, ks::fileExports("C:\\no\\such\\file.dll", kWanted));
}
