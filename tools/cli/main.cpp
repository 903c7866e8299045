// kestrune-cli: entry point of the console tool.
#include "command_line.h"

#include "platform/boundary.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace {

// The tool's texts are UTF-8 (the code page its manifest asks for): a console
// shows them as UTF-8 while it runs and gets its own code page back at the end.
class ConsoleInUtf8 {
public:
    ConsoleInUtf8() : previous_(GetConsoleOutputCP())
    {
        if (GetACP() != CP_UTF8 || previous_ == 0 || previous_ == CP_UTF8 ||
            !SetConsoleOutputCP(CP_UTF8))
            previous_ = 0;
    }
    ~ConsoleInUtf8()
    {
        if (previous_ != 0)
            SetConsoleOutputCP(previous_);
    }
    ConsoleInUtf8(const ConsoleInUtf8&) = delete;
    ConsoleInUtf8& operator=(const ConsoleInUtf8&) = delete;

private:
    UINT previous_;
};

}  // namespace

// An exception that reaches main ends the tool as a broken one: a line on
// standard error and kExitFailed (platform/boundary.h).
int main(int argc, char** argv)
{
    using namespace kestrune::cli;
    const ConsoleInUtf8 console;
    // Output lines end in a bare line feed, the same on every console and pipe.
    _setmode(_fileno(stdout), _O_BINARY);
    return kestrune::guarded(
        "kestrune-cli main",
        [&] {
            CommandOptions options;
            const ParsedCommand command = parseCommandLine(argc, argv, options);
            return command.run ? command.run() : command.exitCode;
        },
        [] {
            std::fputs("kestrune-cli: stopped by an internal error\n", stderr);
            return static_cast<int>(kExitFailed);
        });
}
