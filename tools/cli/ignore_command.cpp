// kestrune-cli ignore: lists, adds and removes the ignore list's entries, the
// finds the user keeps. An entry is a Type word and a location exactly as
// the window's result row shows them.
#include "cli.h"

#include "settings/ignore_list.h"

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

int listEntries()
{
    for (const IgnoreEntry& entry : loadIgnoreEntries())
        std::printf("%s\t%s\t%s\t%s\n", typeWord(entry.kind), entry.location.c_str(),
                    entry.parasite.c_str(), entry.added.c_str());
    return kExitOk;
}

}  // namespace

int runIgnoreCommand(const IgnoreOptions& options)
{
    if (options.list)
        return listEntries();
    IgnoreEntry entry;
    if (!kindFromTypeWord(options.kind, entry.kind)) {
        printError("'" + options.kind + "' is no kind: File, Folder, RegKey, RegValue or Cookie");
        return kExitUsage;
    }
    entry.location = options.location;
    const std::string named = std::string(typeWord(entry.kind)) + " " + entry.location;
    if (options.remove) {
        const int removed = removeIgnoreEntries(entry.kind, entry.location);
        if (removed == 0) {
            printError("the ignore list holds no " + named);
            return kExitFindings;
        }
        std::printf("removed: %s\n", named.c_str());
        return kExitOk;
    }
    switch (addIgnoreEntry(entry)) {
    case IgnoreAdd::Added:
        std::printf("added: %s\n", named.c_str());
        return kExitOk;
    case IgnoreAdd::AlreadyListed:
        std::printf("already listed: %s\n", named.c_str());
        return kExitOk;
    case IgnoreAdd::Failed:
        break;
    }
    printError("the ignore list could not be written");
    return kExitFindings;
}

}  // namespace cli
}  // namespace kestrune
