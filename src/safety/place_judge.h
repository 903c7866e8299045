// PlaceJudge: the scan's question "may this existing file or folder be
// reported?" asked of many paths, most of them in folders already seen.
// The forms of each folder (see comparablePaths) are worked out once and
// kept; a path then costs the question where the entry itself leads (under
// Wine a link to a file looks like a plain file to every cheaper question),
// where the uncached judgement asks that and more, twice. One judge belongs to
// one scan on one thread and lives no longer than the scan: a folder turned
// into a link afterwards is judged afresh by the next scan, and the removal
// always asks ProtectedPlaces itself.
#pragma once

#include "safety/protected_places.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace kestrune {

class PlaceJudge {
public:
    // `places` must outlive the judge.
    explicit PlaceJudge(const ProtectedPlaces& places) : places_(places) {}
    PlaceJudge(const PlaceJudge&) = delete;
    PlaceJudge& operator=(const PlaceJudge&) = delete;

    // isProtectedFolder(path) || isProtectedFile(path) of the places, with
    // the same answer. A path that is not an existing entry reached by its
    // own long name, that is itself a link, or whose folder cannot be
    // resolved whole, is judged the full way.
    bool isProtected(const std::string& path);

private:
    struct Folder {
        bool resolved = false;            // every place the folder reaches is known
        std::vector<std::string> forms;   // its comparable forms
    };

    bool formsFromFolder(const std::string& path, std::vector<std::string>& forms);
    const Folder& folder(const std::string& fullPath);

    const ProtectedPlaces& places_;
    std::unordered_map<std::string, Folder> folders_;   // by full path, as given
};

}  // namespace kestrune
