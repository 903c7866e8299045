// Shell starts and the cookies folder; window_helper.exe (copied next to this
// program) is the program started.
#include "platform/shell.h"

#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>

namespace ks = kestrune;

namespace {

std::string helperPath()
{
    return ks::programFolder() + "window_helper.exe";
}

}  // namespace

TEST(LaunchProgram, TheShellAcceptsAStartWhateverTheProgramDoesAfterwards)
{
    EXPECT_TRUE(ks::launchProgram(helperPath(), "exit 3"));

    ks::ScopedHandle process;
    ASSERT_TRUE(ks::launchProgram(helperPath(), "exit 3", process));
    ASSERT_TRUE(process.valid());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 10000));
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(3u, exitCode);
}

TEST(LaunchProgram, AMissingProgramIsRefused)
{
    const std::string missing = ks::programFolder() + "no_such_program.exe";
    EXPECT_FALSE(ks::launchProgram(missing, ""));
    ks::ScopedHandle process(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    EXPECT_FALSE(ks::launchProgram(missing, "", process));
    EXPECT_FALSE(process.valid());
}

TEST(CookiesFolder, IsAnAbsolutePath)
{
    const std::string folder = ks::cookiesFolder();
    ASSERT_GT(folder.size(), 3u);
    EXPECT_EQ(":\\", folder.substr(1, 2));
}
