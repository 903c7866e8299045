// kestrune-cli's commands in one table: each one's name, forms, help texts,
// exit codes, options and what it runs. The tool's overview, every command's
// usage and --help, and the dispatch are made from it (command_line.cpp).
#pragma once

#include "command_line.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kestrune {
namespace cli {

// One command. Its texts are written as its --help prints them, line breaks
// and all; the overview wraps them anew into its second column.
struct Command {
    const char* name;   // "scan"; a command of a group: "defs check"
    const char* forms;  // what follows the name, one form a line;
                        // null for a group (its commands' forms)
    const char* description;
    const char* note;   // after the options, before the exit codes; may be empty
    const char* exits;  // "Exit 0: ..., 1: ..."; may be empty
    // Adds the command's options and arguments, bound to `o`. May be null.
    void (*addOptions)(CLI::App& command, CommandOptions& o);
    // The command's run. Null for a group, whose commands follow it in the
    // table, named "GROUP COMMAND".
    int (*run)(const CommandOptions& o);
    // What the parse cannot see missing or wrong in the options of this
    // command; empty when they are whole. May be null.
    std::string (*missingArgument)(const CommandOptions& o);
};

// Every command, in the order the overview lists them.
const std::vector<Command>& consoleCommands();

}  // namespace cli
}  // namespace kestrune
