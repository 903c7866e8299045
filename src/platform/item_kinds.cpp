// The table of the item kinds' words.
#include "platform/item_kinds.h"

namespace kestrune {

namespace {

constexpr int kSpellingCount = 4;

// One row per kind in ItemKind order, one column per KindWord in its order.
constexpr const char* kWords[kItemKindCount][kSpellingCount] = {
    {"REGKEY", "REGKEY", "RegKey", "key"},
    {"REGVALUE", "REGVALUE", "RegValue", "value"},
    {"FILE", "FILE", "File", "file"},
    {"DIR", "DIRECTORY", "Folder", "folder"},
    {"COOKIE", "COOKIE", "Cookie", "cookie"},
};

}  // namespace

const char* kindWord(ItemKind kind, KindWord spelling)
{
    const int row = static_cast<int>(kind);
    const int column = static_cast<int>(spelling);
    if (row < 0 || row >= kItemKindCount || column < 0 || column >= kSpellingCount)
        return "";
    return kWords[row][column];
}

bool kindFromWord(const std::string& word, KindWord spelling, ItemKind& kind)
{
    for (ItemKind k : kItemKinds) {
        if (word == kindWord(k, spelling)) {
            kind = k;
            return true;
        }
    }
    return false;
}

}  // namespace kestrune
