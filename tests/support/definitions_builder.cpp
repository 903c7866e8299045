// Builds definitions in code for tests.
#include "definitions_builder.h"

#include <memory>

namespace kestrune {
namespace testing_support {

Parasite& addParasite(ParasiteList& list, const std::string& name, int dangerLevel,
                      const std::string& description)
{
    auto parasite = std::make_unique<Parasite>();
    parasite->name = name;
    parasite->dangerLevel = dangerLevel;
    parasite->description = description;
    Parasite& added = *parasite;
    list.append(std::move(parasite));
    return added;
}

FileItem& addFile(Parasite& parasite, const std::string& name, const std::string& path)
{
    parasite.files.push_back(std::make_unique<FileItem>());
    parasite.files.back()->name = name;
    parasite.files.back()->path = path;
    return *parasite.files.back();
}

DirectoryItem& addFolder(Parasite& parasite, const std::string& name, const std::string& path)
{
    parasite.directories.push_back(std::make_unique<DirectoryItem>());
    parasite.directories.back()->name = name;
    parasite.directories.back()->path = path;
    return *parasite.directories.back();
}

CookieItem& addCookie(Parasite& parasite, const std::string& name)
{
    parasite.cookies.push_back(std::make_unique<CookieItem>());
    parasite.cookies.back()->name = name;
    return *parasite.cookies.back();
}

RegistryKeyItem& addKey(Parasite& parasite, const std::string& main, const std::string& sub,
                        const std::string& value)
{
    parasite.registryKeys.push_back(std::make_unique<RegistryKeyItem>());
    RegistryKeyItem& item = *parasite.registryKeys.back();
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

RegistryValueItem& addValue(Parasite& parasite, const std::string& main, const std::string& sub,
                            const std::string& value)
{
    parasite.registryValues.push_back(std::make_unique<RegistryValueItem>());
    RegistryValueItem& item = *parasite.registryValues.back();
    item.main = main;
    item.sub = sub;
    item.value = value;
    return item;
}

}  // namespace testing_support
}  // namespace kestrune
