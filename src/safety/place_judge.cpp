// The scan's protected-place judgement with the forms of folders kept.
#include "safety/place_judge.h"

#include "platform/system_paths.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "safety/place_paths.h"

#include <windows.h>

namespace kestrune {

namespace {

std::string joinedForm(const std::string& folderForm, const std::string& foldedName)
{
    return folderForm + (folderForm.back() == '\\' ? "" : "\\") + foldedName;
}

}  // namespace

const PlaceJudge::Folder& PlaceJudge::folder(const std::string& fullPath)
{
    auto found = folders_.find(fullPath);
    if (found != folders_.end())
        return found->second;
    Folder entry;
    entry.resolved = comparablePathsResolved(fullPath, entry.forms);
    return folders_.emplace(fullPath, std::move(entry)).first->second;
}

// The forms of `path` made from those of its folder and its own name: the
// long spelling is the folder's with the name appended, and the place it
// leads to, asked of the entry itself (a link to a file shows in nothing
// cheaper under Wine), must be the folder's with the name appended too.
// False (the full judgement is due) for anything else: a missing entry, a
// link, a short name, a folder that cannot be resolved, a name ending in a
// dot or blank or holding a '~' (a short name makes the whole path spelled
// long).
bool PlaceJudge::formsFromFolder(const std::string& path, std::vector<std::string>& forms)
{
    if (!plainPathText(path))
        return false;
    const std::string full = fullPathOf(path);
    if (!plainPathText(full))
        return false;
    const std::string::size_type cut = lastBackslash(full);
    if (cut == std::string::npos || cut < 2)
        return false;
    const std::string name = full.substr(cut + 1);
    if (name.empty() || name.back() == '.' || name.back() == ' ' ||
        name.find('~') != std::string::npos || name.find('/') != std::string::npos)
        return false;

    const Folder& holder = folder(cut == 2 ? full.substr(0, 3) : full.substr(0, cut));
    if (!holder.resolved || holder.forms.empty())
        return false;
    const std::string foldedName = foldedText(name);
    const std::string led = finalComparablePath(full);
    if (led.empty() || led != joinedForm(holder.forms.back(), foldedName))
        return false;

    forms.assign(1, joinedForm(holder.forms.front(), foldedName));
    if (led != forms.front())
        forms.push_back(led);
    return true;
}

bool PlaceJudge::isProtected(const std::string& path)
{
    std::vector<std::string> forms;
    if (!formsFromFolder(path, forms))
        forms = comparablePaths(path);
    return places_.formsProtected(forms);
}

}  // namespace kestrune
