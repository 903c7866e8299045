// kestrune-cli's command line: the commands, their options and their help,
// read with CLI11.
#pragma once

#include "cli.h"

#include <functional>

namespace kestrune {
namespace cli {

// The options of every command; the parse fills those of the command given.
struct CommandOptions {
    DefsOptions defs;
    ScanOptions scan;
    CleanOptions clean;
    RestoreCommandOptions restore;
    PublishOptions publish;
    IgnoreOptions ignore;
};

// What is left to do after the parse: `run` runs the command given (its
// result is the exit code). Without `run` the parse has done all there was
// (help printed on standard output, or the error and the usage on standard
// error) and the tool ends with `exitCode`.
struct ParsedCommand {
    std::function<int()> run;
    int exitCode = kExitOk;
};

// `run` refers to `options`, which must outlive it.
ParsedCommand parseCommandLine(int argc, char** argv, CommandOptions& options);

}  // namespace cli
}  // namespace kestrune
