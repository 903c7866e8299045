// An ignore-list value's text: whatever is read is written back and reads
// the same, and any three texts cut from the input survive the round trip.
#include "fuzz_readers.h"

#include "settings/ignore_entry.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace kestrune {

namespace {

void roundTrip(const IgnoreEntry& entry)
{
    std::string word;
    IgnoreEntry read;
    if (!readIgnoreEntryText(ignoreEntryText(entry), word, read) ||
        word != typeWord(entry.kind) || read.location != entry.location ||
        read.parasite != entry.parasite || read.added != entry.added)
        std::abort();
}

}  // namespace

void fuzzIgnoreEntryOnce(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string word;
    IgnoreEntry entry;
    if (readIgnoreEntryText(text, word, entry)) {
        for (ItemKind kind : {ItemKind::RegistryKey, ItemKind::RegistryValue, ItemKind::File,
                              ItemKind::Folder, ItemKind::Cookie}) {
            entry.kind = kind;
            roundTrip(entry);
        }
    }
    // The input cut in three at its first two zero bytes (or its thirds).
    IgnoreEntry cut;
    const size_t first = text.find('\0') != std::string::npos ? text.find('\0') : size / 3;
    const size_t second = text.find('\0', first + 1) != std::string::npos
                              ? text.find('\0', first + 1)
                              : first + (size - first) / 2;
    cut.location = text.substr(0, first);
    cut.parasite = text.substr(std::min(first + 1, size), second - std::min(first + 1, second));
    cut.added = text.substr(std::min(second + 1, size));
    roundTrip(cut);
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzIgnoreEntryOnce)
