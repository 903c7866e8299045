// The finds of a scan, by item.
#include "scan/scan_results.h"

#include "platform/text_compare.h"

namespace kestrune {

bool ScanResults::add(const ItemRef& item, const ItemFind& find)
{
    std::vector<ItemFind>& finds = finds_[item];
    for (const ItemFind& held : finds) {
        if (held.kind == find.kind && held.view == find.view &&
            sameText(held.location, find.location))
            return false;
    }
    finds.push_back(find);
    return true;
}

const std::vector<ItemFind>& ScanResults::findsOf(const ItemRef& item) const
{
    static const std::vector<ItemFind> kNone;
    const auto found = finds_.find(item);
    return found == finds_.end() ? kNone : found->second;
}

std::vector<ItemRef> ScanResults::items() const
{
    std::vector<ItemRef> refs;
    for (const auto& entry : finds_) {
        if (!entry.second.empty())
            refs.push_back(entry.first);
    }
    return refs;
}

size_t ScanResults::findCount() const
{
    size_t count = 0;
    for (const auto& entry : finds_)
        count += entry.second.size();
    return count;
}

}  // namespace kestrune
