// Whether Kestrune runs with administrator rights, and starting a program
// with them.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// Set to "1", this environment variable makes isElevated() answer false: the
// tests' way to see the program without administrator rights (Wine gives every
// program an elevated token).
extern const char kAssumeNotAdminVariable[];

// True when this process holds administrator rights: its token is elevated,
// or, where the system knows no elevation (before Vista), the token is a
// member of Administrators. A token that cannot be asked counts as not
// elevated. Decided at the first call and kept; any thread.
bool isElevated();

// Starts `file` with `parameters` through the shell's "runas" verb, so that
// the system asks for administrator rights, and returns at once. True when the
// program was started; false when the user declined or the start failed.
// `owner` is the window the system's question belongs to (may be null).
bool launchElevated(HWND owner, const std::string& file, const std::string& parameters);

}  // namespace kestrune
