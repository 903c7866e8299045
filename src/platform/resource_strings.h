// Texts of the running program's string table.
#pragma once

#include <string>

namespace kestrune {

// String-table entry `id` of the program file (not of a DLL); empty text when
// the program has no such entry (the test programs link the same resources).
std::string loadResourceString(unsigned id);

}  // namespace kestrune
