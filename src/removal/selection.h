// The items a removal acts on: exactly the items behind the finds it is
// handed (the checked rows of the result list, or every find of a console
// scan), marked in their `selected` fields.
#pragma once

#include "definitions/parasite.h"
#include "platform/find.h"

#include <vector>

namespace kestrune {

// Clears `selected` on every item of every parasite.
void clearSelection(ParasiteList& parasites);

// markSelectedItems: clears every mark, then marks the item each find names
// by parasite index, kind and item index. A find whose indices lie outside
// the list marks nothing. Returns the number of items marked (an item named
// by several finds counts once).
int markSelectedItems(ParasiteList& parasites, const std::vector<Find>& finds);

}  // namespace kestrune
