// Deleting the cookie files of the selected cookie items.
#include "removal/cookie_removal.h"

#include "platform/path_links.h"
#include "platform/shell.h"
#include "removal/cookie_files.h"
#include "removal/file_removal.h"
#include "removal/item_refusal.h"

#include <windows.h>

namespace kestrune {

CookieDeletion deleteCookieFiles(const std::vector<std::string>& files,
                                 const ProtectedPlaces& places)
{
    CookieDeletion deletion;
    for (const std::string& file : files) {
        ++deletion.matched;
        if (places.isProtectedFile(file) || pathLeadsThroughLink(file)) {
            ++deletion.left;
            continue;
        }
        const RemovalResult result = deleteOrSchedule(file);
        deletion.scheduled += result == RemovalResult::Scheduled ? 1 : 0;
        deletion.left += result == RemovalResult::Failed ? 1 : 0;
    }
    return deletion;
}

void removeCookieItems(ParasiteList& parasites, RemovalRun& run)
{
    removeCookieItems(parasites, run, cookiesFolder());
}

void removeCookieItems(ParasiteList& parasites, RemovalRun& run, const std::string& folder)
{
    // Two items may match the same file: what each stands for is taken
    // before anything goes.
    std::vector<std::vector<std::vector<std::string>>> files(parasites.count());
    for (int p = 0; p < parasites.count(); ++p) {
        const Parasite& parasite = *parasites.at(p);
        for (const auto& item : parasite.cookies)
            files[p].push_back(item->selected == 1 && !cookieItemRefused(*item)
                                   ? matchingCookieFiles(folder, item->name)
                                   : std::vector<std::string>());
    }
    for (int p = 0; p < parasites.count(); ++p) {
        Parasite& parasite = *parasites.at(p);
        for (size_t i = 0; i < parasite.cookies.size(); ++i) {
            const CookieItem& item = *parasite.cookies[i];
            if (item.selected != 1)
                continue;
            RemovalOutcome outcome;
            outcome.kind = ItemKind::Cookie;
            outcome.parasiteIndex = p;
            outcome.itemIndex = static_cast<int>(i);
            outcome.name = item.name;
            if (cookieItemRefused(item)) {
                outcome.result = RemovalResult::Refused;
                outcome.protectedPlace = true;
                run.record(parasite, outcome);
                continue;
            }
            const CookieDeletion deletion = deleteCookieFiles(files[p][i], run.places());
            if (deletion.matched == 0)
                continue;
            outcome.result = deletion.left > 0        ? RemovalResult::Failed
                             : deletion.scheduled > 0 ? RemovalResult::Scheduled
                                                      : RemovalResult::Deleted;
            run.record(parasite, outcome);
        }
    }
}

}  // namespace kestrune
