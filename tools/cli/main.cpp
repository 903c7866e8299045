// kestrune-cli: entry point and command dispatch of the console tool.
#include "cli.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace kestrune {
namespace cli {

void printError(const std::string& message)
{
    std::fprintf(stderr, "kestrune-cli: %s\n", message.c_str());
}

void printUnreadableCount(const ScanOutcome& outcome)
{
    if (outcome.unreadable > 0)
        std::fprintf(stderr, "%lu folders could not be read\n", outcome.unreadable);
}

namespace {

const char kUsage[] =
    "usage: kestrune-cli <command> [arguments]\n"
    "\n"
    "Definitions:\n"
    "  defs pack IN OUT           scramble a markup file into a reference file\n"
    "  defs unpack IN OUT         unscramble a reference file into markup\n"
    "  defs check [--plain] FILE  report errors and warnings in a reference file,\n"
    "                             items naming protected places among them\n"
    "  defs dump FILE             write the loaded definitions as JSON\n"
    "  defs verify FILE SIGNATURE [--key PUBLIC.pem]\n"
    "                             check FILE's signature (as written by publish\n"
    "                             --key or openssl dgst -sha256 -sign) with the\n"
    "                             built-in update key or PUBLIC.pem.\n"
    "                             Exit 0: good, 1: bad, 2: error\n"
    "\n"
    "Scanning:\n"
    "  scan [--definitions FILE] [--folder DIR] [--quiet]\n"
    "                             scan this PC (or one folder tree) with the\n"
    "                             definitions of FILE or of the settings; one\n"
    "                             line per find on standard output: parasite,\n"
    "                             location, type and danger separated by tabs;\n"
    "                             progress on standard error unless --quiet.\n"
    "                             Exit 0: nothing found, 1: found, 2: error\n"
    "\n"
    "Removal:\n"
    "  clean [--definitions FILE] [--backup [--force]] [--quiet]\n"
    "                             scan the whole PC and remove every find;\n"
    "                             one line per item on standard output.\n"
    "                             Exit 0: all removed, 3: restart needed,\n"
    "                             1: something left, 2: error\n"
    "\n"
    "Restoring a backup:\n"
    "  restore --list             list the backup archives, newest first: file name,\n"
    "                             date, number of items and size\n"
    "  restore --list ARCHIVE     list an archive's items: kind and original place\n"
    "  restore ARCHIVE [--force] [--quiet]\n"
    "                             put every item of ARCHIVE (a path, or a file name\n"
    "                             in the backup folder) back; --force replaces a\n"
    "                             different file in an item's place. Exit 0: all\n"
    "                             restored, 1: something not, 2: bad arguments or\n"
    "                             a damaged archive (nothing is written)\n"
    "  restore --delete ARCHIVE   delete a backup archive\n"
    "\n"
    "Update server:\n"
    "  publish --root DIR [--key PRIVATE.pem] FILE.ks\n"
    "                             copy FILE.ks to DIR\\def\\ and write the version page\n"
    "                             DIR\\def\\def_newv2.html naming it; with --key also\n"
    "                             its signature DIR\\def\\NAME.sig, which Kestrune\n"
    "                             needs before it installs an update\n";

}  // namespace

}  // namespace cli
}  // namespace kestrune

int main(int argc, char** argv)
{
    using namespace kestrune::cli;
    // Output lines end in a bare line feed, the same on every console and pipe.
    _setmode(_fileno(stdout), _O_BINARY);
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    Args rest(args.begin() + 1, args.end());
    if (command == "defs")
        return runDefsCommand(rest);
    if (command == "scan")
        return runScanCommand(rest);
    if (command == "clean")
        return runCleanCommand(rest);
    if (command == "restore")
        return runRestoreCommand(rest);
    if (command == "publish")
        return runPublishCommand(rest);
    printError("unknown command '" + command + "'");
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
