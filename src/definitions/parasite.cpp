// Parasite and ParasiteList.
#include "definitions/parasite.h"

namespace kestrune {

const char kStatusNotScanned[] = "Not scanned";

// The items go in the order of the lists.
Parasite::~Parasite()
{
    directories.clear();
    files.clear();
    cookies.clear();
    registryKeys.clear();
    registryValues.clear();
}

Parasite* ParasiteList::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return parasites_[index].get();
}

void ParasiteList::append(std::unique_ptr<Parasite> parasite)
{
    parasites_.push_back(std::move(parasite));
}

}  // namespace kestrune
