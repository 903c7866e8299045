// The export look-up and bitness of files: the two DLLs built for the tests
// (copied next to this program), a file that is not there, and the system's
// kernel32.dll in System32 and SysWOW64 (with redirection on and off).
#include "platform/file_bytes.h"
#include "platform/fs_redirection.h"
#include "platform/paths.h"
#include "platform/system_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace ks = kestrune;
using ks::PeExport;

namespace {

const char kWanted[] = "DllUnregisterServer";

std::string besideProgram(const std::string& name)
{
    return ks::folderPartOf(ks::moduleFilePath()) + name;
}

}  // namespace

TEST(FileBytes, TheTestDllsAreReadFromTheirFiles)
{
    EXPECT_EQ(PeExport::Exported, ks::fileExports(besideProgram("test_component.dll"), kWanted));
    EXPECT_EQ(PeExport::NotExported, ks::fileExports(besideProgram("test_library.dll"), kWanted));
    EXPECT_EQ(PeExport::Exported, ks::fileExports(besideProgram("test_library.dll"), "Answer"));
    EXPECT_EQ(PeExport::Unreadable, ks::fileExports("C:\\no\\such\\file.dll", kWanted));
}

TEST(FileBytes, BitnessOfTheFileRedirectionShows)
{
    using ks::PeBitness;
    EXPECT_EQ(PeBitness::Bits32, ks::fileBitness(besideProgram("test_component.dll")));
    EXPECT_EQ(PeBitness::Unknown, ks::fileBitness("C:\\no\\such\\file.dll"));
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    ASSERT_GT(length, 0u);
    const std::string kernel = std::string(system, length) + "\\kernel32.dll";
    const bool wow64 = ks::runningOnWow64();
    EXPECT_EQ(wow64, !ks::wow64SystemFolder().empty());
    EXPECT_EQ(PeBitness::Bits32, ks::fileBitness(kernel));   // SysWOW64's, on 64-bit Windows
    EXPECT_FALSE(ks::fsRedirectionOff());
    {
        const ks::ScopedFsRedirectionOff off;
        EXPECT_EQ(wow64, off.active());
        EXPECT_EQ(wow64, ks::fsRedirectionOff());
        const PeBitness real = wow64 ? PeBitness::Bits64 : PeBitness::Bits32;
        EXPECT_EQ(real, ks::fileBitness(kernel));
        {
            const ks::ScopedFsRedirectionOff nested;
            EXPECT_EQ(real, ks::fileBitness(kernel));
            {
                const ks::ScopedFsRedirectionOn on;   // around a call that loads a DLL
                EXPECT_EQ(PeBitness::Bits32, ks::fileBitness(kernel));
            }
            EXPECT_EQ(real, ks::fileBitness(kernel));
        }
        EXPECT_EQ(real, ks::fileBitness(kernel));
        if (wow64) {
            EXPECT_EQ(PeBitness::Bits32,
                      ks::fileBitness(ks::inOtherSystemFolder(kernel, ks::wow64SystemFolder())));
        }
    }
    EXPECT_EQ(PeBitness::Bits32, ks::fileBitness(kernel));
    EXPECT_FALSE(ks::fsRedirectionOff());
    if (wow64) {   // Sysnative names the real System32 while redirection is on
        EXPECT_EQ(PeBitness::Bits64,
                  ks::fileBitness(ks::nativeSystemFolderAlias() + "\\kernel32.dll"));
    }
    // The other folder of a path inside the system folder, and of no other.
    const struct {
        const char* path;
        const char* other;
    } rows[] = {
        {"C:\\Windows\\System32\\x.dll", "C:\\Windows\\SysWOW64\\x.dll"},
        {"c:\\windows\\system32\\drivers\\x.sys", "C:\\Windows\\SysWOW64\\drivers\\x.sys"},
        {"C:\\Windows\\System32", "C:\\Windows\\SysWOW64"},
        {"C:\\Windows\\System32x\\x.dll", ""},
        {"C:\\Windows\\x.dll", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.other, ks::inOtherSystemFolder(row.path, "C:\\Windows\\SysWOW64\\",
                                                     "C:\\Windows\\System32"))
            << row.path;
}
