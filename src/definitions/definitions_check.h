// The definitions checker: reports what a reference file's text does wrong,
// and what the loader would silently pass over, with line numbers.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

struct CheckMessage {
    bool error = false;      // the text does not parse; otherwise a warning
    int line = 0;            // 1-based; 0 when no line applies
    bool aboutParasite = false;   // the message concerns one SW element
    std::string parasite;         // that SW's NAME
    std::string text;
};

// Checks a plain (unscrambled, line-normalised) text. Empty when there is
// nothing to report.
std::vector<CheckMessage> checkDefinitions(const std::string& text);

// "FILE:LINE: warning: parasite "NAME": TEXT"
std::string formatCheckMessage(const std::string& file, const CheckMessage& message);

}  // namespace kestrune
