// Warnings about items that name protected places or hold refused texts.
#include "protected_items.h"

#include "platform/cookie_match.h"
#include "platform/text_trim.h"
#include "scan/item_checks.h"

namespace kestrune {
namespace cli {

namespace {

std::string tagOf(const CheckedItem& item) { return kindWord(item.kind, KindWord::Tag); }

void judgePathItem(const ProtectedPlaces& places, const CheckedItem& item,
                   std::vector<std::string>& warnings)
{
    // An empty NAME has its own warning in the check already.
    const bool nameRefused = !item.name.empty() && itemNameRefused(item.name);
    if (nameRefused)
        warnings.push_back(tagOf(item) + " NAME \"" + item.name +
                           "\" is refused: it is blank, only dots, or holds a . or .. part");
    if (itemPathRefused(item.path)) {
        warnings.push_back(tagOf(item) + " PATH \"" + item.path +
                           "\" is refused: it is not a plain X:\\ path, or holds a . or .. part");
        return;
    }
    if (nameRefused || item.name.empty() || trimmed(item.path, kLineBlanks).empty())
        return;   // searched for on the drives: only a find there can be protected
    const std::string location = trimmed(item.path + "\\" + item.name, kLineBlanks);
    const bool folder = item.kind == ItemKind::Folder;
    if (folder ? places.isProtectedFolder(location) : places.isProtectedFile(location))
        warnings.push_back(tagOf(item) + " \"" + location +
                           "\" is a protected place and is never touched");
}

}  // namespace

ItemJudge protectedItemJudge(const ProtectedPlaces& places)
{
    return [&places](const CheckedItem& item) {
        std::vector<std::string> warnings;
        switch (item.kind) {
        case ItemKind::Folder:
        case ItemKind::File:
            judgePathItem(places, item, warnings);
            break;
        case ItemKind::Cookie:
            if (!item.name.empty() && !cookieNameUsable(item.name))
                warnings.push_back(tagOf(item) + " NAME \"" + item.name +
                                   "\" holds no letter or digit and matches nothing");
            break;
        case ItemKind::RegistryKey:
            if (places.isProtectedKey(item.main, item.sub + "\\" + item.value))
                warnings.push_back(tagOf(item) + " \"" + item.main + "\\" + item.sub + "\\" +
                                   item.value + "\" is a protected key and is never touched");
            break;
        case ItemKind::RegistryValue:
            if (places.isProtectedValue(item.main, item.sub, item.value))
                warnings.push_back(tagOf(item) + " \"" + item.main + "\\" + item.sub + " : " +
                                   item.value + "\" is a protected value and is never touched");
            break;
        }
        return warnings;
    };
}

}  // namespace cli
}  // namespace kestrune
