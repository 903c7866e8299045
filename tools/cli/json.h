// JSON output of the console tool.
#pragma once

#include "definitions/parasite.h"

#include <string>

namespace kestrune {
namespace cli {

// A JSON string literal of an ANSI text: converted to UTF-8, then escaped.
std::string jsonString(const std::string& ansi);

// The whole list in the shape of "defs dump", without white space.
std::string parasitesToJson(const ParasiteList& list);

}  // namespace cli
}  // namespace kestrune
