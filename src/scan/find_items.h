// The items a removal acts on, made from the chosen finds: one item per find,
// at the find's real place (a registry find's hive, key and value; a file or
// folder find's folder), in a list apart from the definitions, which stay as
// they were loaded. The list holds every parasite at its index in the
// definitions, so that outcomes name parasites as the finds do.
#pragma once

#include "definitions/parasite.h"
#include "platform/find.h"
#include "scan/scan_results.h"

#include <vector>

namespace kestrune {

// Fills `items` (cleared first) with one selected item per find in `finds`
// (a find named twice counts once; one whose indices lie outside
// `parasites` is passed over): the item as defined, placed where `results`
// holds the find of that location; as defined when `results` is null or
// holds no such find. Each parasite keeps its name, description, danger
// level and status. Returns the finds with the indices of `items` (the
// location of each as handed in).
std::vector<Find> itemsOfFinds(const ParasiteList& parasites, const ScanResults* results,
                               const std::vector<Find>& finds, ParasiteList& items);

// Each parasite of `parasites` takes the status of its copy in `items`.
void takeStatuses(const ParasiteList& items, ParasiteList& parasites);

}  // namespace kestrune
