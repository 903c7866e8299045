// Deleting the cookie files of the selected cookie items.
#include "removal/cookie_removal.h"

#include "platform/path_links.h"
#include "platform/shell.h"
#include "removal/cookie_files.h"
#include "removal/item_refusal.h"

#include <windows.h>

namespace kestrune {

CookieDeletion deleteMatchingCookies(const std::string& cookiesFolder,
                                     const std::string& cookieName, const ProtectedPlaces& places)
{
    CookieDeletion deletion;
    for (const std::string& file : matchingCookieFiles(cookiesFolder, cookieName)) {
        ++deletion.matched;
        if (places.isProtectedFile(file) || pathLeadsThroughLink(file) ||
            (!DeleteFileA(file.c_str()) && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES))
            ++deletion.left;
    }
    return deletion;
}

void removeCookieItems(ParasiteList& parasites, RemovalRun& run)
{
    removeCookieItems(parasites, run, cookiesFolder());
}

void removeCookieItems(ParasiteList& parasites, RemovalRun& run, const std::string& folder)
{
    for (int p = 0; p < parasites.count(); ++p) {
        Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.cookies.size(); ++i) {
            const CookieItem& item = *parasite.cookies[i];
            if (item.selected != 1)
                continue;
            RemovalOutcome outcome;
            outcome.kind = FindKind::Cookie;
            outcome.parasiteIndex = p;
            outcome.itemIndex = static_cast<int>(i);
            outcome.name = item.name;
            if (cookieItemRefused(item)) {
                outcome.result = RemovalResult::Refused;
                outcome.protectedPlace = true;
                run.record(parasite, outcome);
                continue;
            }
            CookieDeletion deletion = deleteMatchingCookies(folder, item.name, run.places());
            if (deletion.matched == 0)
                continue;
            outcome.result = deletion.left == 0 ? RemovalResult::Deleted : RemovalResult::Failed;
            run.record(parasite, outcome);
        }
    }
}

}  // namespace kestrune
