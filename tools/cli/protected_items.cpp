// Warnings about items that name protected places or hold refused texts.
#include "protected_items.h"

#include "platform/cookie_match.h"
#include "platform/text_trim.h"
#include "scan/item_checks.h"

namespace kestrune {
namespace cli {

namespace {

void judgePathItem(const ProtectedPlaces& places, const CheckedItem& item,
                   std::vector<std::string>& warnings)
{
    // An empty NAME has its own warning in the check already.
    const bool nameRefused = !item.name.empty() && itemNameRefused(item.name);
    if (nameRefused)
        warnings.push_back(item.element + " NAME \"" + item.name +
                           "\" is refused: it is blank, only dots, or holds a . or .. part");
    if (itemPathRefused(item.path)) {
        warnings.push_back(item.element + " PATH \"" + item.path +
                           "\" is refused: it is not a plain X:\\ path, or holds a . or .. part");
        return;
    }
    if (nameRefused || item.name.empty() || trimmed(item.path, kLineBlanks).empty())
        return;   // searched for on the drives: only a find there can be protected
    const std::string location = trimmed(item.path + "\\" + item.name, kLineBlanks);
    const bool folder = item.element == "DIR";
    if (folder ? places.isProtectedFolder(location) : places.isProtectedFile(location))
        warnings.push_back(item.element + " \"" + location +
                           "\" is a protected place and is never touched");
}

}  // namespace

ItemJudge protectedItemJudge(const ProtectedPlaces& places)
{
    return [&places](const CheckedItem& item) {
        std::vector<std::string> warnings;
        if (item.element == "DIR" || item.element == "FILE") {
            judgePathItem(places, item, warnings);
        } else if (item.element == "COOKIE") {
            if (!item.name.empty() && !cookieNameUsable(item.name))
                warnings.push_back("COOKIE NAME \"" + item.name +
                                   "\" holds no letter or digit and matches nothing");
        } else if (item.element == "REGKEY") {
            if (places.isProtectedKey(item.main, item.sub + "\\" + item.value))
                warnings.push_back("REGKEY \"" + item.main + "\\" + item.sub + "\\" + item.value +
                                   "\" is a protected key and is never touched");
        } else if (item.element == "REGVALUE") {
            if (places.isProtectedValue(item.main, item.sub, item.value))
                warnings.push_back("REGVALUE \"" + item.main + "\\" + item.sub + " : " + item.value +
                                   "\" is a protected value and is never touched");
        }
        return warnings;
    };
}

}  // namespace cli
}  // namespace kestrune
