// The cookie-match rule, asked by the scan, the backup and the removal alike:
// which cookie names can match a file at all, the needle a name is matched
// by, and whether a cookie file's name holds it.
#pragma once

#include <string>

namespace kestrune {

// True when a cookie item's name can match a file: it holds a letter or
// digit of the ANSI code page (a two-byte character counts as a letter).
bool cookieNameUsable(const std::string& name);

// The needle of a cookie item: its name folded to lower case with every blank
// (0x20) removed; tabs and other characters stay. Empty (matching nothing)
// when the name holds no letter or digit (cookieNameUsable), so that a name
// like "." or "__" never matches every cookie file.
std::string cookieNeedle(const std::string& name);

// The site part of a cookie file's name ("user@ads.example[1].txt" gives
// "ads.example"): from after the last '@' (from the start when there is
// none) to the first '[' (to the last '.' when there is no '['). Empty when
// the '[' comes before the '@'.
std::string cookieSite(const std::string& fileName);

// True when a cookie file whose name, folded with foldedText, is
// `foldedFileName` belongs to the item of `needle`: the needle occurs in the
// name's site part (cookieSite), so that a needle like "txt", "[1]" or "@"
// never takes every cookie of the user. An empty needle matches nothing.
bool cookieFileMatches(const std::string& foldedFileName, const std::string& needle);

}  // namespace kestrune
