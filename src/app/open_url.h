// openUrl: opens a web page in the user's browser.
#pragma once

#include <string>

namespace kestrune {

// Opens `url` through the shell ("open" verb) with `showMode`. When the shell
// refuses (a result of 32 or less), runs the command of the ".htm" class
// ("<class>\shell\open\command" under HKEY_CLASSES_ROOT) with the URL
// appended. Returns the ShellExecuteA result, or 33 when the fallback started
// the browser. Failures are silent.
int openUrl(const std::string& url, int showMode);

// The browser command line of the fallback: `command` cut before "\"%1\"",
// else before "%1", else whole, followed by a blank and `url`.
std::string browserCommandLine(const std::string& command, const std::string& url);

}  // namespace kestrune
