// How the 8-bit text of a file is read: UTF-8 when it is valid UTF-8, else
// the system's legacy ANSI code page converted to UTF-8, for a process whose
// texts are UTF-8; unchanged for a process on the legacy code page. No
// Windows headers: the host build and the fuzz target use these too.
#pragma once

#include <string>

namespace kestrune {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF, no sequence cut short). The empty text is valid.
bool isValidUtf8(const std::string& text);

// Brings a file's text into the process's encoding: with `processIsUtf8`,
// valid UTF-8 stays as it is and anything else is converted from the legacy
// ANSI code page; without it, the text stays as it is. False when the
// conversion fails (memory); `text` is then unchanged.
bool readAsProcessText(std::string& text, bool processIsUtf8);

}  // namespace kestrune
