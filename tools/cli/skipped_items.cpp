// The console tools' line for an item a scan passed over because it names a
// protected place or holds a refused text.
#include "cli.h"

#include "definitions/parasite.h"
#include "platform/cookie_match.h"
#include "platform/find.h"
#include "safety/protected_places.h"
#include "scan/item_checks.h"

namespace kestrune {
namespace cli {

namespace {

bool textRefused(const Parasite& parasite, const Find& find)
{
    const size_t index = static_cast<size_t>(find.itemIndex);
    switch (find.kind) {
    case ItemKind::File:
        return index < parasite.files.size() &&
               itemTextRefused(parasite.files[index]->path, parasite.files[index]->name);
    case ItemKind::Folder:
        return index < parasite.directories.size() &&
               itemTextRefused(parasite.directories[index]->path,
                               parasite.directories[index]->name);
    case ItemKind::Cookie:
        return index < parasite.cookies.size() &&
               !cookieNameUsable(parasite.cookies[index]->name);
    default:
        return false;
    }
}

}  // namespace

bool skippedForItsText(const ParasiteList& parasites, const Find& find)
{
    const Parasite* parasite = parasites.at(find.parasiteIndex);
    return parasite != nullptr && find.itemIndex >= 0 && textRefused(*parasite, find);
}

std::string skippedItemLine(const ParasiteList& parasites, const Find& find)
{
    const Parasite* parasite = parasites.at(find.parasiteIndex);
    if (parasite == nullptr || find.itemIndex < 0)
        return std::string();
    if (textRefused(*parasite, find))
        return "refused: " + find.location + " (" + kindWord(find.kind, KindWord::Noun) +
               " of " + parasite->name +
               ") is not a plain path or name and is never looked for\n";
    return protectedItemLine(find.location, find.kind, parasite->name);
}

std::string protectedItemLine(const std::string& location, ItemKind kind,
                              const std::string& parasiteName)
{
    return "protected: " + location + " (" + kindWord(kind, KindWord::Noun) + " of " +
           parasiteName + ") is never touched\n";
}

}  // namespace cli
}  // namespace kestrune
