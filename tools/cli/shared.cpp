// Helpers the console tool's commands share: error lines, the scan's
// counts, the definitions of scan and clean (the settings' reference file,
// else the newest one beside the tool), the log folder, and --version.
#include "cli.h"

#include "definitions/parasite.h"
#include "definitions/reference_file.h"
#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/text_compare.h"
#include "platform/wide_paths.h"
#include "product.h"
#include "settings/data_folder.h"
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

std::string newestReferenceFileIn(const std::string& folder)
{
    std::string newest;
    FILETIME newestTime = {0, 0};
    FolderListing listing(listingPattern(folder));
    while (listing.next()) {
        const WIN32_FIND_DATAA& entry = listing.entry();
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !sameText(fileExtension(name), "ks"))
            continue;
        const LONG order = CompareFileTime(&entry.ftLastWriteTime, &newestTime);
        if (newest.empty() || order > 0 || (order == 0 && name > newest)) {
            newest = name;
            newestTime = entry.ftLastWriteTime;
        }
    }
    return newest.empty() ? newest : folder + newest;
}

std::string consoleLogFolder()
{
    const std::string folder = logFolder();
    if (!folder.empty())
        return folder;
    // The per-user data folder: the account that runs the console tool (a
    // management agent's, SYSTEM) may never have run the window.
    std::string data = perUserDataFolder();
    if (!data.empty())
        createFolderAt(data);   // an existing folder is fine
    else
        data = dataFolder();
    if (data.empty())
        return data;
    const std::string logs = data + kLogFolderName;
    createFolderAt(logs);
    return logs;
}

bool loadScanDefinitions(const std::string& file, ParasiteList& parasites, ScanRecord& record)
{
    std::string& path = record.definitionsFile;
    path = file;
    record.definitionsFrom = "option";
    if (path.empty()) {
        path = referenceFilePath();
        record.definitionsFrom = "settings";
    }
    if (path.empty()) {
        const std::string folder = programFolder();
        path = folder.empty() ? folder : newestReferenceFileIn(folder);
        record.definitionsFrom = "program folder";
        if (path.empty()) {
            printError(std::string("no reference file: the settings (HKEY_CURRENT_USER\\") +
                       kSettingsKeyPath + " " + kSettingReferenceFile + ") name none and " +
                       (folder.empty() ? std::string("the tool's folder") : folder) +
                       " holds no *.ks; use --definitions FILE");
            return false;
        }
        printError("the settings name no reference file; using " + path +
                   " from the tool's folder");
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
    record.parasiteCount = parasites.count();
    return true;
}

int runVersionCommand()
{
    std::printf("kestrune-cli %s\n", KESTRUNE_VERSION);
    ReferenceFileIdentity identity;
    if (readReferenceFileIdentity(referenceFilePath(), identity))
        std::printf("reference file: %s (%d parasite%s)\n", identity.path.c_str(),
                    identity.parasites, identity.parasites == 1 ? "" : "s");
    return kExitOk;
}

}  // namespace cli
}  // namespace kestrune
