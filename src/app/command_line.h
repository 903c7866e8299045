// The program's command line: the arguments after its own path, and the test
// for a start from the Run entry.
#pragma once

#include <string>

namespace kestrune {

// The text after the program's own path (quoted or not), leading blanks
// skipped; trailing text is kept as it is.
std::string commandLineArguments(const char* commandLine);

// True when the arguments are exactly "/s" (case-sensitive, nothing else).
bool isStartupArgument(const std::string& arguments);

}  // namespace kestrune
