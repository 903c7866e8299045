// The built-in protected registry keys and values, and the comparison of key
// paths across hives.
#include "safety/protected_keys.h"

#include "platform/hive_names.h"
#include "platform/text_compare.h"

#include <vector>

namespace kestrune {

namespace {

// The built-in keys, as paths below HKEY_LOCAL_MACHINE or a user's hive
// (HKEY_CURRENT_USER, HKEY_USERS\<sid>). Each protects the key itself and
// every key that holds it; keys below it stay removable.
const char* const kProtectedKeys[] = {
    "software",
    "software\\microsoft",
    "software\\microsoft\\windows",
    "software\\microsoft\\windows\\currentversion",
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\runservices",
    "software\\microsoft\\windows\\currentversion\\runservicesonce",
    "software\\microsoft\\windows\\currentversion\\explorer",
    "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\browser helper objects",
    "software\\microsoft\\windows\\currentversion\\explorer\\shellexecutehooks",
    "software\\microsoft\\windows\\currentversion\\shell extensions",
    "software\\microsoft\\windows\\currentversion\\shell extensions\\approved",
    "software\\microsoft\\windows\\currentversion\\policies",
    "software\\microsoft\\windows\\currentversion\\uninstall",
    "software\\microsoft\\windows\\currentversion\\app paths",
    "software\\microsoft\\windows nt",
    "software\\microsoft\\windows nt\\currentversion",
    "software\\microsoft\\windows nt\\currentversion\\winlogon",
    "software\\microsoft\\windows nt\\currentversion\\windows",
    "software\\microsoft\\windows nt\\currentversion\\image file execution options",
    "software\\microsoft\\windows nt\\currentversion\\profilelist",
    "software\\microsoft\\internet explorer",
    "software\\microsoft\\internet explorer\\main",
    "software\\classes",
    "software\\classes\\clsid",
    "software\\classes\\interface",
    "software\\classes\\typelib",
    "software\\classes\\appid",
    "software\\classes\\.exe",
    "software\\classes\\.com",
    "software\\classes\\.bat",
    "software\\classes\\.cmd",
    "software\\classes\\.lnk",
    "software\\classes\\exefile",
    "software\\classes\\exefile\\shell",
    "software\\classes\\exefile\\shell\\open",
    "software\\classes\\exefile\\shell\\open\\command",
    "software\\classes\\comfile",
    "software\\classes\\comfile\\shell\\open\\command",
    "software\\classes\\batfile",
    "software\\classes\\batfile\\shell\\open\\command",
    "software\\classes\\cmdfile",
    "software\\classes\\cmdfile\\shell\\open\\command",
    "software\\classes\\lnkfile",
    "software\\classes\\*",
    "software\\classes\\directory",
    "software\\classes\\folder",
    "software\\classes\\drive",
    "software\\classes\\allfilesystemobjects",
    "software\\policies",
    "software\\policies\\microsoft",
    "software\\policies\\microsoft\\windows",
    "system",
    "system\\currentcontrolset",
    "system\\currentcontrolset\\services",
    "system\\currentcontrolset\\control",
    "system\\currentcontrolset\\control\\session manager",
    "system\\currentcontrolset\\control\\session manager\\environment",
    "system\\currentcontrolset\\control\\safeboot",
    "system\\currentcontrolset\\control\\safeboot\\minimal",
    "system\\currentcontrolset\\control\\safeboot\\network",
    "system\\currentcontrolset\\control\\class",
    "system\\currentcontrolset\\enum",
    "system\\select",
    "system\\mounteddevices",
    "sam",
    "security",
    "hardware",
    "bcd00000000",
};

// The values Windows cannot start or log on without, below
// HKEY_LOCAL_MACHINE: "key path:value name". A user's own Winlogon "Shell"
// stays removable: that is where a parasite puts itself, not Windows.
const char* const kProtectedValues[] = {
    "software\\microsoft\\windows nt\\currentversion\\winlogon:userinit",
    "software\\microsoft\\windows nt\\currentversion\\winlogon:shell",
    "system\\currentcontrolset\\control\\session manager:bootexecute",
    "system\\currentcontrolset\\control\\session manager\\environment:path",
    "system\\currentcontrolset\\control\\session manager\\environment:comspec",
    "system\\currentcontrolset\\control\\session manager\\environment:systemroot",
    "system\\currentcontrolset\\control\\session manager\\environment:windir",
};

enum class Hive { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, Unknown };

// The hives by their names and the abbreviations a reference file may use.
struct HiveSpelling {
    const char* name;
    const char* shortName;
    Hive hive;
};

const HiveSpelling kHiveSpellings[] = {
    {kHiveNames[0], "HKCR", Hive::ClassesRoot},
    {kHiveNames[1], "HKCU", Hive::CurrentUser},
    {kHiveNames[2], "HKLM", Hive::LocalMachine},
    {kHiveNames[3], "HKU", Hive::Users},
    {kHiveNames[4], "HKCC", Hive::CurrentConfig},
};

Hive hiveOf(const std::string& name)
{
    for (const HiveSpelling& row : kHiveSpellings) {
        if (sameText(name, row.name) || sameText(name, row.shortName))
            return row.hive;
    }
    return Hive::Unknown;
}

using Parts = std::vector<std::string>;

// The folded parts of `path` between backslashes; empty parts dropped.
Parts keyParts(const std::string& path)
{
    Parts parts;
    std::string part;
    for (char c : foldedText(path)) {
        if (c != '\\') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool isControlSet(const std::string& part)
{
    static const std::string prefix = "controlset";
    if (part.size() != prefix.size() + 3 || part.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < part.size(); ++i) {
        if (part[i] < '0' || part[i] > '9')
            return false;
    }
    return true;
}

std::string joinedKey(const Parts& parts)
{
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty())
            path += '\\';
        path += part;
    }
    return path;
}

// Joined key path with the 32-bit view's "Wow6432Node" parts passed over and
// a numbered control set named as the current one.
std::string comparableKey(const Parts& parts)
{
    Parts kept;
    for (const std::string& part : parts) {
        if (part != "wow6432node")
            kept.push_back(part);
    }
    if (kept.size() >= 2 && kept[0] == "system" && isControlSet(kept[1]))
        kept[1] = "currentcontrolset";
    return joinedKey(kept);
}

// Where a key lies, as the lists compare it.
struct KeyView {
    bool wholeHive = false;   // a hive root or a user's hive of HKEY_USERS
    bool nothing = false;     // cannot be this hive's key at all
    std::string path;         // below the machine or a user's hive
    bool machine = false;     // HKEY_LOCAL_MACHINE: the system's values apply
    bool user = false;        // a user's hive: the settings key applies
};

// A direct subkey of HKEY_USERS that looks like a user's hive: ".DEFAULT" or
// a security identifier.
bool looksLikeUserHive(const std::string& part)
{
    return part == ".default" || part.compare(0, 4, "s-1-") == 0;
}

KeyView viewOf(Hive hive, const Parts& parts, bool hiveNamed)
{
    KeyView view;
    if (parts.empty()) {
        view.wholeHive = true;
        return view;
    }
    switch (hive) {
    case Hive::ClassesRoot: {
        Parts classes{"software", "classes"};
        classes.insert(classes.end(), parts.begin(), parts.end());
        view.path = comparableKey(classes);
        break;
    }
    case Hive::CurrentUser:
        view.path = comparableKey(parts);
        view.user = true;
        break;
    case Hive::LocalMachine:
    case Hive::Unknown:
        view.path = comparableKey(parts);
        view.machine = true;
        break;
    case Hive::Users: {
        if (parts.size() == 1) {
            // Each user's hive holds that user's Software key; when the hive
            // is only guessed, only names that look like a user's hive count.
            view.wholeHive = hiveNamed || looksLikeUserHive(parts[0]);
            view.nothing = !view.wholeHive;
            return view;
        }
        const std::string& sid = parts[0];
        Parts rest(parts.begin() + 1, parts.end());
        const std::string classesSuffix = "_classes";
        if (sid.size() > classesSuffix.size() &&
            sid.compare(sid.size() - classesSuffix.size(), classesSuffix.size(), classesSuffix) == 0)
            rest.insert(rest.begin(), {"software", "classes"});
        view.path = comparableKey(rest);
        view.user = true;
        break;
    }
    case Hive::CurrentConfig:
        view.path = comparableKey(parts);
        break;
    }
    if (view.path.empty())
        view.wholeHive = true;   // nothing but "Wow6432Node" parts: the root's view
    return view;
}

bool atOrBelow(const std::string& path, const std::string& top)
{
    return path == top ||
           (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '\\');
}

const Hive kEveryHive[] = {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine, Hive::Users,
                           Hive::CurrentConfig};

// Calls test(view) for the one hive named, or for every hive when the name is
// none of them; true when any call is.
template <typename Test>
bool inAnyView(const std::string& hiveName, const std::string& subKey, Test test)
{
    const Parts parts = keyParts(subKey);
    const Hive named = hiveOf(hiveName);
    if (named != Hive::Unknown)
        return test(viewOf(named, parts, true));
    for (Hive hive : kEveryHive) {
        if (test(viewOf(hive, parts, false)))
            return true;
    }
    return false;
}

}  // namespace

ProtectedKeys::ProtectedKeys(const std::string& settingsKey)
    : settingsKey_(comparableKey(keyParts(settingsKey)))
{
    for (const char* key : kProtectedKeys) {
        keys_.insert(key);
        Parts parts = keyParts(key);
        while (parts.size() > 1) {
            parts.pop_back();
            holders_.insert(joinedKey(parts));
        }
    }
    for (const char* value : kProtectedValues)
        values_.insert(value);
}

bool ProtectedKeys::isProtectedKey(const std::string& hiveName, const std::string& subKey) const
{
    return inAnyView(hiveName, subKey, [this](const KeyView& view) {
        if (view.nothing)
            return false;
        if (view.wholeHive || keys_.count(view.path) != 0 || holders_.count(view.path) != 0)
            return true;
        return view.user && !settingsKey_.empty() &&
               (atOrBelow(view.path, settingsKey_) || atOrBelow(settingsKey_, view.path));
    });
}

bool ProtectedKeys::isProtectedValue(const std::string& hiveName, const std::string& subKey,
                                     const std::string& valueName) const
{
    const std::string folded = foldedText(valueName);
    return inAnyView(hiveName, subKey, [&](const KeyView& view) {
        if (view.nothing || view.wholeHive)
            return false;
        if (view.machine && values_.count(view.path + ":" + folded) != 0)
            return true;
        return view.user && !settingsKey_.empty() && atOrBelow(view.path, settingsKey_);
    });
}

}  // namespace kestrune
