// Matching processes by their image path, and the unregistering run, which
// waits through the report.
#include "removal/process_control.h"

#include "platform/fs_redirection.h"
#include "platform/handles.h"
#include "support/removal_fixtures.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace ks = kestrune;
namespace ts = kestrune::testing_support;

TEST(ProcessControl, UnregisteringRunsRegsvr32ToItsEnd)
{
    ts::RecordingRemovalReport report;
    EXPECT_TRUE(ks::unregisterServer("C:\\no\\such\\component.dll", ts::machinePlaces(), &report));
    ASSERT_EQ(1u, report.steps.size());
    EXPECT_EQ(ks::ProgramStep::Unregistered, report.steps[0].kind);
    EXPECT_EQ("C:\\no\\such\\component.dll", report.steps[0].path);
    EXPECT_EQ(std::vector<DWORD>{ks::kHelperProgramWait}, report.waits);
}

TEST(ProcessControl, Regsvr32OfTheComponentsOwnBitness)
{
    const std::string native = ks::nativeSystemFolderAlias();   // empty on 32-bit Windows
    const ks::ScopedFsRedirectionOff realFolders;               // as the removal reads files
    const std::string system64 = "C:\\windows\\system32\\kernel32.dll";  // 64-bit on 64-bit Windows
    const std::string beside = "C:\\kestrune\\test_component.dll";     // 32-bit
    const std::string copied = "C:\\windows\\system32\\ks-component-copy.dll";
    ASSERT_TRUE(CopyFileA(beside.c_str(), copied.c_str(), FALSE));
    const struct {
        std::string path, file, target;
    } rows[] = {
        {system64, native.empty() ? "regsvr32.exe" : native + "\\regsvr32.exe", system64},
        {beside, "regsvr32.exe", beside},
        {copied, "regsvr32.exe", native.empty() ? copied : native + "\\ks-component-copy.dll"},
        {"C:\\no\\such\\component.dll", "regsvr32.exe", "C:\\no\\such\\component.dll"},
    };
    for (const auto& row : rows) {
        const ks::RegisteringProgram program = ks::registeringProgramFor(row.path);
        EXPECT_EQ(row.file, program.file) << row.path;
        EXPECT_EQ(row.target, program.target) << row.path;
    }
    DeleteFileA(copied.c_str());
}

TEST(ProcessControl, PathsCompareWithoutCaseAndExtensionsToo)
{
    EXPECT_TRUE(ks::samePath("C:\\Bad\\A.EXE", "c:\\bad\\a.exe"));
    EXPECT_FALSE(ks::samePath("C:\\Bad\\a.exe", "C:\\Bad\\banana.exe"));
    EXPECT_FALSE(ks::samePath("a.exe", "C:\\Bad\\a.exe"));
    EXPECT_FALSE(ks::samePath("", ""));
    EXPECT_TRUE(ks::hasExtension("C:\\x\\setup.EXE", "exe"));
    EXPECT_FALSE(ks::hasExtension("C:\\a.exe\\readme", "exe"));
    EXPECT_TRUE(ks::hasExtension("C:\\x\\control.Ocx", "ocx"));
}

TEST(ProcessControl, ThisProgramIsNeverEnded)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    EXPECT_EQ(0, ks::terminateProcessByName(self, ks::ProtectedPlaces()));
}

TEST(ProcessControl, APassReadsTheProcessListOnceWhenItMeetsItsFirstProgram)
{
    const std::string path = ts::freshWorkFolder("APass") + "\\again.exe";
    ts::copyHelperTo(path);
    ks::ProgramStopper pass(ts::machinePlaces(), nullptr);
    ts::StartedProgram early(path, "wait");
    EXPECT_EQ(1, pass.endProgram(path));
    EXPECT_FALSE(early.running());
    // Started after the pass read the list: only a fresh pass sees it.
    ts::StartedProgram late(path, "wait");
    EXPECT_EQ(0, pass.endProgram(path));
    EXPECT_TRUE(late.running());
    EXPECT_EQ(1, ks::terminateProcessByName(path, ts::machinePlaces()));
    EXPECT_FALSE(late.running());
}

TEST(ProcessControl, StopFolderProgramsNeedsAFolder)
{
    EXPECT_FALSE(ks::stopFolderPrograms("C:\\no\\such\\folder", ts::machinePlaces()));
    EXPECT_FALSE(ks::stopFolderPrograms("C:\\removalfix\\linked\\Bad\\outlink", ts::machinePlaces()));
}
