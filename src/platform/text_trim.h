// Trimming a text: the characters to cut from both of its ends. Text only;
// the host build compiles it too.
#pragma once

#include <string>

namespace kestrune {

// White space as the "C" locale knows it: blank, tab, line feed, carriage
// return, form feed and vertical tab.
extern const char kWhiteSpace[];

// Blanks, tabs and line breaks: what an item's PATH and NAME are trimmed of
// (a form feed or vertical tab stays, and the path is refused for it).
extern const char kLineBlanks[];

// `text` without the characters of `blanks` at both ends; empty when it holds
// nothing else.
std::string trimmed(const std::string& text, const char* blanks = kWhiteSpace);

}  // namespace kestrune
