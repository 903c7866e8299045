// loadReferenceFile: reads a reference file from disk into a ParasiteList;
// and the identity of a reference file as users are shown it.
#pragma once

#include "definitions/parasite.h"

#include <string>

namespace kestrune {

// True when the file was read and its text parsed; `list` then holds exactly
// the file's parasites (possibly none). False when the file cannot be opened,
// read or closed, memory runs out, or the text does not parse; `list` is then
// untouched. `errorText`, when given, receives the parser's error text.
bool loadReferenceFile(const std::string& path, ParasiteList& list,
                       std::string* errorText = nullptr);

// A reference file as About and kestrune-cli --version name it.
struct ReferenceFileIdentity {
    std::string path;
    std::string name;    // the text after the last backslash (the path without one)
    std::string date;    // last written, local time, "YYYY-MM-DD"; empty when unknown
    int parasites = 0;
};

// Loads the file at `path` for its identity. False when `path` is empty or
// the file does not load; `identity` is then untouched.
bool readReferenceFileIdentity(const std::string& path, ReferenceFileIdentity& identity);

}  // namespace kestrune
