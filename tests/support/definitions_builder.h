// Builds definitions in code for tests, item by item.
#pragma once

#include "definitions/parasite.h"

#include <string>

namespace kestrune {
namespace testing_support {

Parasite& addParasite(ParasiteList& list, const std::string& name, int dangerLevel = -1,
                      const std::string& description = std::string());
FileItem& addFile(Parasite& parasite, const std::string& name, const std::string& path);
DirectoryItem& addFolder(Parasite& parasite, const std::string& name, const std::string& path);
CookieItem& addCookie(Parasite& parasite, const std::string& name);
RegistryKeyItem& addKey(Parasite& parasite, const std::string& main, const std::string& sub,
                        const std::string& value);
RegistryValueItem& addValue(Parasite& parasite, const std::string& main, const std::string& sub,
                            const std::string& value);

}  // namespace testing_support
}  // namespace kestrune
