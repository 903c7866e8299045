// Helpers the console tool's commands share: error lines, the scan's
// counts, the definitions of scan and clean, and --version.
#include "cli.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "product.h"
#include "settings/settings_store.h"

#include <cstdio>

namespace kestrune {
namespace cli {

void printError(const std::string& message)
{
    std::fprintf(stderr, "kestrune-cli: %s\n", message.c_str());
}

void printScanCounts(const ScanOutcome& outcome)
{
    if (outcome.unreadable > 0)
        std::fprintf(stderr, "%lu folders could not be read\n", outcome.unreadable);
    if (outcome.ignored > 0)
        std::fprintf(stderr, "%lu find%s ignored\n", outcome.ignored,
                     outcome.ignored == 1 ? "" : "s");
}

bool loadScanDefinitions(const std::string& file, ParasiteList& parasites, std::string& path)
{
    path = file.empty() ? referenceFilePath() : file;
    if (path.empty()) {
        printError("the settings name no reference file; use --definitions FILE");
        return false;
    }
    std::string parseError;
    if (!loadReferenceFile(path, parasites, &parseError)) {
        printError("cannot load the definitions " + path +
                   (parseError.empty() ? std::string() : ": " + parseError));
        return false;
    }
    if (parasites.count() == 0) {
        printError("the reference file holds no parasites: " + path);
        return false;
    }
    return true;
}

int runVersionCommand()
{
    std::printf("kestrune-cli %s\n", KESTRUNE_VERSION);
    const std::string path = referenceFilePath();
    ParasiteList parasites;
    if (!path.empty() && loadReferenceFile(path, parasites))
        std::printf("reference file: %s (%d parasite%s)\n", path.c_str(), parasites.count(),
                    parasites.count() == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace cli
}  // namespace kestrune
