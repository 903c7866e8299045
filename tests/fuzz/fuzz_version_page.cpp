// The version page: the name read from any page is lower-case and trimmed,
// and a name judged safe can only name a plain file of the download folder.
#include "fuzz_readers.h"

#include "update/version_page.h"

#include <cstdlib>
#include <string>

namespace kestrune {

namespace {

void checkSafe(const std::string& name)
{
    if (!isSafeReferenceFileName(name))
        return;
    if (name.empty() || name.size() > 200 || name.find_first_of("\\/: \t\r\n") != std::string::npos ||
        name.find("..") != std::string::npos || isKestruneFileName(name))
        std::abort();
}

}  // namespace

void fuzzVersionPageOnce(const uint8_t* data, size_t size)
{
    const std::string page(reinterpret_cast<const char*>(data), size);
    const std::string name = fileNameFromVersionPage(page);
    const char* space = " \t\r\n\f\v";
    if (name.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos ||
        (!name.empty() && (std::string(space).find(name.front()) != std::string::npos ||
                           std::string(space).find(name.back()) != std::string::npos)))
        std::abort();
    checkSafe(name);
    checkSafe(page);
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzVersionPageOnce)
