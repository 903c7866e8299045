// Reading a regedit export (".reg") the way regedit reads it, into keys and
// values with their exact registry types and bytes, so that what a restore
// checks is exactly what it writes. Free of Windows headers (the UTF-16 is
// decoded here), so that the host build fuzzes it.
//
// The rules: a UTF-16LE file with a byte-order mark starts with the line
// "Windows Registry Editor Version 5.00", an ANSI file with "REGEDIT4". Lines
// end at CR LF, LF, or a lone CR. Leading blanks (spaces, tabs) are skipped;
// blank lines and lines starting with ";" are comments. "[name]" starts a key
// (text after the last "]" is ignored); a value line is `"name"=data` or
// `@=data` (the default value), blanks allowed around "=". Data is
// "string" (\\, \", \n and \r escaped), dword:XXXXXXXX, hex:bytes (binary)
// or hex(N):bytes (type N in hex: 0 none, 2 expandable, 7 multi-string,
// b QWORD, ...), the bytes two hex digits each, separated by commas and
// going on over lines that end in a backslash. In an ANSI file the bytes of
// hex(2) and hex(7) are ANSI text and are decoded like the rest.
//
// Stricter than regedit where regedit passes a line over or deletes: a key or
// value deletion ("[-...]", "=-"), a value before any key, a line of no known
// form, a malformed value, a NUL character in the text, and a file that is
// neither form are faults, and nothing of such a file is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

struct RegExportValue {
    std::u16string name;   // empty: the default value
    uint32_t type = 0;     // REG_SZ = 1, REG_EXPAND_SZ = 2, ...
    std::string data;      // the bytes the registry holds
};

struct RegExportKey {
    std::u16string path;   // between the brackets: "HKEY_...\sub\key"
    std::vector<RegExportValue> values;
};

struct RegExport {
    bool unicode = true;               // UTF-16 (version 5.00) or ANSI (REGEDIT4)
    std::vector<RegExportKey> keys;    // file order; a key named twice appears twice
};

// Turns ANSI bytes into UTF-16 (the caller's code page).
using AnsiDecoder = std::u16string (*)(const std::string& bytes);

// Reads `bytes`. An ANSI file is decoded with `decodeAnsi` (nullptr: each
// byte is one character, as in Latin-1). False, with `fault` saying what and
// on which line, when the file breaks a rule above; `out` is then empty.
bool readRegExport(const std::string& bytes, AnsiDecoder decodeAnsi, RegExport& out,
                   std::string& fault);

}  // namespace kestrune
