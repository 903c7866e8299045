// kestrune-cli: entry point of the console tool.
#include "command_line.h"

#include <fcntl.h>
#include <io.h>

int main(int argc, char** argv)
{
    using namespace kestrune::cli;
    // Output lines end in a bare line feed, the same on every console and pipe.
    _setmode(_fileno(stdout), _O_BINARY);
    CommandOptions options;
    const ParsedCommand command = parseCommandLine(argc, argv, options);
    return command.run ? command.run() : command.exitCode;
}
