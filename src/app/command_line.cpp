// The program's command line.
#include "app/command_line.h"

namespace kestrune {

const char kRestartArgument[] = "/restart";

std::string commandLineArguments(const char* commandLine)
{
    if (commandLine == nullptr)
        return std::string();
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return std::string(p);
}

bool isStartupArgument(const std::string& arguments)
{
    return arguments == "/s";
}

bool isRestartArgument(const std::string& arguments)
{
    return arguments == kRestartArgument;
}

}  // namespace kestrune
