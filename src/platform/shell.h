// The shell: starting a program without waiting for it, and the user's
// cookies folder.
#pragma once

#include "platform/handles.h"

#include <string>

namespace kestrune {

// Starts `file` with `parameters` through the shell (default verb, no owner,
// SW_SHOWNORMAL) and returns at once. True when the shell accepted the start
// (a result of 32 or more), even when the program fails afterwards.
bool launchProgram(const std::string& file, const std::string& parameters);

// As above, and hands back the started process in `process` for a caller that
// must wait for the program's work (the handle stays empty when the shell
// started nothing new, for example through DDE). Shows no error UI.
bool launchProgram(const std::string& file, const std::string& parameters,
                   ScopedHandle& process);

// The user's cookies folder (CSIDL_COOKIES, not created); empty text when it
// cannot be determined.
std::string cookiesFolder();

}  // namespace kestrune
