// The one comparison of names, paths, hive names and type words: whole
// strings, without regard to letter case, character by character in the ANSI
// code page. A two-byte character of a multibyte code page is compared
// byte for byte, so its trail byte is never case-folded as if it were a letter.
// In UTF-8 (the code page the program asks for) a character beyond ASCII is
// folded whole, through UTF-16; a text that is not valid UTF-8 has its ASCII
// letters folded and its other bytes compared as they are.
// Every caseless comparison of the program goes through here.
#pragma once

#include <string>

namespace kestrune {

// True when a and b hold the same characters apart from letter case. A blank
// is a character like any other.
bool sameText(const std::string& a, const std::string& b);

// The text with every single-byte letter folded to lower case and two-byte
// characters left as they are (UTF-8: every letter folded). sameText(a, b) exactly when
// foldedText(a) == foldedText(b), so this is the key of a caseless index.
std::string foldedText(const std::string& text);

}  // namespace kestrune
