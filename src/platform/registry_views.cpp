// Registry views: the engine's view and the names of redirected keys.
#include "platform/registry_views.h"

#include "platform/fs_redirection.h"
#include "platform/text_compare.h"

#include <vector>

namespace kestrune {

namespace {

// The keys below HKEY_LOCAL_MACHINE\Software that 64-bit Windows shares
// between the views (paths below Software, lower case): a key at or below
// one of them is one key whichever view names it.
const char* const kSharedSoftwareKeys[] = {
    "clients",
    "microsoft\\com3",
    "microsoft\\cryptography\\calais\\current",
    "microsoft\\cryptography\\calais\\readers",
    "microsoft\\cryptography\\services",
    "microsoft\\ctf\\systemshared",
    "microsoft\\ctf\\tip",
    "microsoft\\dfs",
    "microsoft\\driver signing",
    "microsoft\\enterprisecertificates",
    "microsoft\\eventsystem",
    "microsoft\\msmq",
    "microsoft\\non-driver signing",
    "microsoft\\notepad\\defaultfonts",
    "microsoft\\ole",
    "microsoft\\ras",
    "microsoft\\rpc",
    "microsoft\\shared tools\\msinfo",
    "microsoft\\systemcertificates",
    "microsoft\\termservlicensing",
    "microsoft\\transaction server",
    "microsoft\\windows\\currentversion\\control panel\\cursors\\schemes",
    "microsoft\\windows\\currentversion\\explorer\\autoplayhandlers",
    "microsoft\\windows\\currentversion\\explorer\\driveicons",
    "microsoft\\windows\\currentversion\\explorer\\kindmap",
    "microsoft\\windows\\currentversion\\group policy",
    "microsoft\\windows\\currentversion\\policies",
    "microsoft\\windows\\currentversion\\previewhandlers",
    "microsoft\\windows\\currentversion\\setup",
    "microsoft\\windows\\currentversion\\telephony\\locations",
    "microsoft\\windows nt\\currentversion\\console",
    "microsoft\\windows nt\\currentversion\\fontdpi",
    "microsoft\\windows nt\\currentversion\\fontlink",
    "microsoft\\windows nt\\currentversion\\fontmapper",
    "microsoft\\windows nt\\currentversion\\fonts",
    "microsoft\\windows nt\\currentversion\\fontsubstitutes",
    "microsoft\\windows nt\\currentversion\\gre_initialize",
    "microsoft\\windows nt\\currentversion\\languagepack",
    "microsoft\\windows nt\\currentversion\\networkcards",
    "microsoft\\windows nt\\currentversion\\perflib",
    "microsoft\\windows nt\\currentversion\\ports",
    "microsoft\\windows nt\\currentversion\\print",
    "microsoft\\windows nt\\currentversion\\profilelist",
    "microsoft\\windows nt\\currentversion\\time zones",
    "policies",
    "registeredapplications",
};

// The trees of the classes that are redirected; the rest of the classes is
// shared.
const char* const kRedirectedClasses[] = {
    "clsid", "directshow", "interface", "media type", "mediafoundation",
};

std::vector<std::string> partsOf(const std::string& path)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('\\', at);
        if (end == std::string::npos)
            end = path.size();
        if (end > at)
            parts.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, size_t from, size_t to)
{
    std::string out;
    for (size_t i = from; i < to; ++i)
        out += (out.empty() ? "" : "\\") + parts[i];
    return out;
}

bool namesWow64Node(const std::vector<std::string>& parts)
{
    for (const std::string& part : parts) {
        if (sameText(part, "Wow6432Node"))
            return true;
    }
    return false;
}

bool redirectedClass(const std::string& part)
{
    for (const char* name : kRedirectedClasses) {
        if (sameText(part, name))
            return true;
    }
    return false;
}

bool sharedSoftwareKey(const std::vector<std::string>& parts, size_t from)
{
    const std::string below = foldedText(joined(parts, from, parts.size()));
    for (const char* shared : kSharedSoftwareKeys) {
        const std::string top = shared;
        if (below == top || (below.size() > top.size() && below.compare(0, top.size(), top) == 0 &&
                             below[top.size()] == '\\'))
            return true;
    }
    return false;
}

// `parts` with "Wow6432Node" put in before part `at`.
std::string withNodeAt(const std::vector<std::string>& parts, size_t at)
{
    std::vector<std::string> out(parts.begin(), parts.begin() + at);
    out.push_back("Wow6432Node");
    out.insert(out.end(), parts.begin() + at, parts.end());
    return joined(out, 0, out.size());
}

// The redirected name of a key of the classes whose path below the classes
// starts at part `at`.
std::string classesRedirected(const std::vector<std::string>& parts, size_t at)
{
    if (parts.size() <= at || !redirectedClass(parts[at]))
        return std::string();
    return withNodeAt(parts, at);
}

}  // namespace

REGSAM engineRegistryView()
{
    return runningOnWow64() ? KEY_WOW64_64KEY : 0;
}

std::string wow64RedirectedPath(const std::string& hive, const std::string& path)
{
    const std::vector<std::string> parts = partsOf(path);
    if (namesWow64Node(parts))
        return std::string();
    const bool machine = sameText(hive, "HKEY_LOCAL_MACHINE");
    const bool user = sameText(hive, "HKEY_CURRENT_USER");
    const bool users = sameText(hive, "HKEY_USERS");
    if (sameText(hive, "HKEY_CLASSES_ROOT"))
        return classesRedirected(parts, 0);
    // A user's classes hive, HKEY_USERS\<sid>_Classes.
    const std::string classesTail = "_classes";
    if (users && !parts.empty() && parts[0].size() > classesTail.size() &&
        foldedText(parts[0].substr(parts[0].size() - classesTail.size())) == classesTail)
        return classesRedirected(parts, 1);
    // A user's Software\Classes, below HKEY_CURRENT_USER or HKEY_USERS\<sid>.
    const size_t software = users ? 1 : 0;
    if (!machine && !user && !users)
        return std::string();
    if (parts.size() <= software + 1 || !sameText(parts[software], "Software"))
        return std::string();
    if (sameText(parts[software + 1], "Classes"))
        return classesRedirected(parts, software + 2);
    if (!machine || sharedSoftwareKey(parts, 1))
        return std::string();
    return withNodeAt(parts, 1);
}

}  // namespace kestrune
