// The start-up argument: only the exact text "/s" after the program's path.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(CommandLine, OnlyTheExactArgumentMarksAStartFromTheRunEntry)
{
    struct Row {
        const char* commandLine;
        const char* arguments;
        bool startup;
    };
    const Row rows[] = {
        {"\"C:\\Program Files\\Kestrune\\Kestrune.exe\" /s", "/s", true},
        {"C:\\Kestrune\\Kestrune.exe /s", "/s", true},
        {"C:\\Kestrune\\Kestrune.exe    /s", "/s", true},
        {"Kestrune.exe /S", "/S", false},
        {"Kestrune.exe /s ", "/s ", false},
        {"Kestrune.exe x /s", "x /s", false},
        {"Kestrune.exe /s /s", "/s /s", false},
        {"Kestrune.exe", "", false},
        {"\"C:\\a b\\Kestrune.exe\"", "", false},
        {"\"C:\\a b\\Kestrune.exe\"/s", "/s", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(commandLineArguments(row.commandLine), row.arguments) << row.commandLine;
        EXPECT_EQ(isStartupArgument(commandLineArguments(row.commandLine)), row.startup)
            << row.commandLine;
    }
    EXPECT_EQ(commandLineArguments(nullptr), "");
}

}  // namespace
}  // namespace kestrune
