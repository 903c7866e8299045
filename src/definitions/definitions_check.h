// The definitions checker: reports what a reference file's text does wrong,
// and what the loader would silently pass over, with line numbers.
#pragma once

#include "platform/item_kinds.h"

#include <functional>
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

// One item of a reference file as the loader reads it: NAME and PATH (folder
// tokens replaced as the loader does) of a folder or file, NAME of a cookie
// (also the cookie that a COOKIES section adds, named after the SW), MAIN, SUB
// and VALUE of a registry key or value.
struct CheckedItem {
    ItemKind kind = ItemKind::File;
    std::string name;
    std::string path;
    std::string main;
    std::string sub;
    std::string value;
};

// Judges one item for a caller that knows more than the text (for example
// which places are protected): the warnings about it, none when it is fine.
using ItemJudge = std::function<std::vector<std::string>(const CheckedItem&)>;

// Checks a plain (unscrambled, line-normalised) text. Empty when there is
// nothing to report. With a `judge`, each item the loader reads is also
// handed to it, and its warnings are reported at the item's line.
std::vector<CheckMessage> checkDefinitions(const std::string& text, const ItemJudge& judge = ItemJudge());

// "FILE:LINE: warning: parasite "NAME": TEXT"
std::string formatCheckMessage(const std::string& file, const CheckMessage& message);

}  // namespace kestrune
