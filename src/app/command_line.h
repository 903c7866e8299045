// The program's command line: the arguments after its own path, and the tests
// for a start from the Run entry and for a start again as administrator.
#pragma once

#include <string>

namespace kestrune {

// The text after the program's own path (quoted or not), leading blanks
// skipped; trailing text is kept as it is.
std::string commandLineArguments(const char* commandLine);

// True when the arguments are exactly "/s" (case-sensitive, nothing else).
bool isStartupArgument(const std::string& arguments);

// The argument of a start as administrator from a running instance: the new
// instance first waits for the old one's window to go.
extern const char kRestartArgument[];
// True when the arguments are exactly kRestartArgument.
bool isRestartArgument(const std::string& arguments);

}  // namespace kestrune
