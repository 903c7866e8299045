// kestrune-cli's table of commands: every command's forms, help texts, exit
// codes, options (CLI11) and run, each written once.
#include "commands.h"

#include <CLI/CLI.hpp>

namespace kestrune {
namespace cli {

namespace {

// Paths and names given as options must not be empty.
const CLI::Validator kNotEmpty(
    [](std::string& value) { return value.empty() ? std::string("needs a value") : std::string(); },
    "");

// An option that names a path, a key or a word: never empty.
CLI::Option* addTextOption(CLI::App& c, const char* name, std::string& value, const char* help,
                           const char* valueName)
{
    return c.add_option(name, value, help)->type_name(valueName)->check(kNotEmpty);
}

void addScrambleOptions(CLI::App& c, CommandOptions& o)
{
    c.add_option("IN", o.defs.in, "file to read")->required()->type_name("");
    c.add_option("OUT", o.defs.out, "file to write")->required()->type_name("");
}

void addCheckOptions(CLI::App& c, CommandOptions& o)
{
    c.add_flag("--plain", o.defs.plain, "FILE is unscrambled markup");
    c.add_option("FILE", o.defs.file, "the reference file")->required()->type_name("");
}

void addDumpOptions(CLI::App& c, CommandOptions& o)
{
    c.add_option("FILE", o.defs.file, "the reference file")->required()->type_name("");
}

void addVerifyOptions(CLI::App& c, CommandOptions& o)
{
    c.add_option("FILE", o.defs.file, "the signed file")->required()->type_name("");
    c.add_option("SIGNATURE", o.defs.signature, "its signature")->required()->type_name("");
    addTextOption(c, "--key", o.defs.key, "PEM public key to check with", "PUBLIC.pem");
}

void addScanOptions(CLI::App& c, CommandOptions& o)
{
    addTextOption(c, "--definitions", o.scan.definitions, "reference file to scan with", "FILE");
    addTextOption(c, "--folder", o.scan.folder, "scan only this folder tree", "DIR");
    c.add_flag("--quiet", o.scan.quiet, "no progress on standard error")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    c.add_flag("--json", o.scan.json, "the whole scan as one JSON document on standard output")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    c.add_flag("--no-ignore", o.scan.noIgnore, "report the finds of the ignore list too");
    addTextOption(c, "--report", o.scan.report, "write the scan report to FILE", "FILE");
}

void addCleanOptions(CLI::App& c, CommandOptions& o)
{
    addTextOption(c, "--definitions", o.clean.definitions, "reference file to scan with", "FILE");
    CLI::Option* backup = c.add_flag("--backup", o.clean.backup, "back the finds up first");
    c.add_flag("--force", o.clean.force, "remove even when the backup is incomplete")
        ->needs(backup);
    c.add_flag("--quiet", o.clean.quiet,
               "no scan phases, programs or backup steps on standard error");
    c.add_flag("--json", o.clean.json, "the whole run as one JSON document on standard output");
    c.add_flag("--no-ignore", o.clean.noIgnore, "remove the finds of the ignore list too");
}

void addRestoreOptions(CLI::App& c, CommandOptions& o)
{
    addTextOption(c, "ARCHIVE", o.restore.archive, "the backup archive", "");
    CLI::Option* list =
        c.add_flag("--list", o.restore.list, "list the archives, newest first, or ARCHIVE's items");
    CLI::Option* remove = c.add_flag("--delete", o.restore.remove, "delete ARCHIVE");
    CLI::Option* force =
        c.add_flag("--force", o.restore.force, "replace a different file in an item's place");
    CLI::Option* quiet = c.add_flag("--quiet", o.restore.quiet, "no progress line");
    CLI::Option* prune =
        c.add_flag("--prune", o.restore.prune, "delete the old archives beyond the newest few");
    c.add_option("--keep", o.restore.keep, "keep the newest N archives (0: all)")
        ->type_name("N")
        ->check(CLI::Range(0, 99999))
        ->needs(prune);
    c.add_option("--days", o.restore.days, "delete only archives older than D days (0: none)")
        ->type_name("D")
        ->check(CLI::Range(0, 99999))
        ->needs(prune);
    list->excludes(remove)->excludes(force)->excludes(prune);
    remove->excludes(force)->excludes(quiet)->excludes(prune);
    prune->excludes(force)->excludes(quiet);
}

// Restore needs an ARCHIVE unless it lists or prunes; prune takes none.
std::string restoreMissing(const CommandOptions& o)
{
    if (!o.restore.list && !o.restore.prune && o.restore.archive.empty())
        return "name an archive";
    if (o.restore.prune && !o.restore.archive.empty())
        return "--prune takes no archive";
    return std::string();
}

void addPublishOptions(CLI::App& c, CommandOptions& o)
{
    addTextOption(c, "--root", o.publish.root, "the update server's folder", "DIR")->required();
    addTextOption(c, "--key", o.publish.key, "RSA private key in PEM to sign with", "PRIVATE.pem");
    c.add_option("--valid-days", o.publish.validDays,
                 "days the release statement counts (default 90)")
        ->type_name("N")
        ->check(CLI::Range(1, 3650));
    c.add_option("FILE.ks", o.publish.file, "the reference file")->required()->type_name("");
}

void addIgnoreOptions(CLI::App& c, CommandOptions& o)
{
    CLI::Option* list =
        c.add_flag("--list", o.ignore.list, "the entries: kind, location, parasite, date");
    CLI::Option* add = c.add_flag("--add", o.ignore.add, "add the entry KIND LOCATION");
    CLI::Option* remove = c.add_flag("--remove", o.ignore.remove, "remove the entry KIND LOCATION");
    addTextOption(c, "KIND", o.ignore.kind, "File, Folder, RegKey, RegValue or Cookie", "");
    addTextOption(c, "LOCATION", o.ignore.location, "the find's location", "");
    list->excludes(add)->excludes(remove);
    add->excludes(remove);
}

// Ignore needs one of its three options, and KIND and LOCATION with --add
// and --remove only.
std::string ignoreMissing(const CommandOptions& o)
{
    const IgnoreOptions& i = o.ignore;
    if (!i.list && !i.add && !i.remove)
        return "name --list, --add or --remove";
    if (i.list && !i.kind.empty())
        return "--list takes no KIND or LOCATION";
    if (!i.list && i.location.empty())
        return "--add and --remove take a KIND and a LOCATION";
    return std::string();
}

}  // namespace

// Each row: name, forms, description, note, exit codes; options, run and the
// check of what the parse cannot see.
const std::vector<Command>& consoleCommands()
{
    // clang-format off
    static const std::vector<Command> kCommands = {
        {"defs", nullptr,
         "Reference files: pack, unpack, check, dump, verify.",
         "",
         "",
         nullptr, nullptr, nullptr},
        {"defs pack", "IN OUT",
         "Scramble the markup file IN into the reference file OUT.",
         "",
         "",
         addScrambleOptions, [](const CommandOptions& o) { return runDefsScramble(o.defs); },
         nullptr},
        {"defs unpack", "IN OUT",
         "Unscramble the reference file IN into the markup file OUT.",
         "",
         "",
         addScrambleOptions, [](const CommandOptions& o) { return runDefsScramble(o.defs); },
         nullptr},
        {"defs check", "[--plain] FILE",
         "Report errors and warnings in a reference file, items naming\n"
         "protected places among them.",
         "",
         "Exit 0: nothing to report, 1: errors or warnings, 2: FILE cannot be read",
         addCheckOptions, [](const CommandOptions& o) { return runDefsCheck(o.defs); }, nullptr},
        {"defs dump", "FILE",
         "Write the loaded definitions as JSON on standard output.",
         "",
         "Exit 0: written, 1: FILE cannot be read or loaded",
         addDumpOptions, [](const CommandOptions& o) { return runDefsDump(o.defs); }, nullptr},
        {"defs verify", "FILE SIGNATURE [--key PUBLIC.pem]",
         "Check FILE's signature (as written by publish --key or openssl dgst\n"
         "-sha256 -sign) with the built-in update key or PUBLIC.pem.",
         "",
         "Exit 0: good signature, 1: bad, 2: a file cannot be read or no public key",
         addVerifyOptions, [](const CommandOptions& o) { return runDefsVerify(o.defs); }, nullptr},
        {"scan", "[--definitions FILE] [--folder DIR] [--quiet] [--json] [--no-ignore] "
                 "[--report FILE]",
         "Scan this PC (or one folder tree) with the definitions of FILE or of the\n"
         "settings. One line per find on standard output: parasite, location,\n"
         "type and danger, separated by tabs. Progress on standard error.",
         "Finds of the ignore list are counted on standard error, not reported.",
         "Exit 0: nothing found, 1: found (or the scan failed), 2: error",
         addScanOptions, [](const CommandOptions& o) { return runScanCommand(o.scan); }, nullptr},
        {"clean", "[--definitions FILE] [--backup [--force]] [--quiet] [--json] [--no-ignore]",
         "Scan the whole PC and remove every find, writing the removal log.\n"
         "One line per item on standard output.",
         "Finds of the ignore list, and folders and keys holding one, stay.",
         "Exit 0: all removed (or nothing found), 3: restart needed, 1: something\n"
         "left or the backup stopped the run, 2: error",
         addCleanOptions, [](const CommandOptions& o) { return runCleanCommand(o.clean); },
         nullptr},
        {"ignore", "--list\n"
                   "--add KIND LOCATION\n"
                   "--remove KIND LOCATION",
         "The ignore list: finds the user keeps, which scan and clean pass over.\n"
         "KIND is the Type word (File, Folder, RegKey, RegValue, Cookie) in any\n"
         "case; LOCATION as the find's location shows it, in any case.",
         "",
         "Exit 0: done, 1: nothing matched (--remove), 2: bad arguments",
         addIgnoreOptions, [](const CommandOptions& o) { return runIgnoreCommand(o.ignore); },
         ignoreMissing},
        {"restore", "--list [ARCHIVE]\n"
                    "ARCHIVE [--force] [--quiet]\n"
                    "--delete ARCHIVE\n"
                    "--prune [--keep N] [--days D]",
         "List, restore, delete or prune the backups that clean --backup and\n"
         "the window make. ARCHIVE is a path, or a file name in the backup folder.",
         "--list names each archive's date, number of items and size, or ARCHIVE's\n"
         "items by kind and original place. --prune keeps, as after each backup, the\n"
         "newest N (10) archives and those not older than D (90) days; --delete\n"
         "refuses anything but a Kestrune archive in a backup folder.",
         "Exit 0: all restored, 1: something not, 2: bad arguments or a damaged\n"
         "archive (nothing is written)",
         addRestoreOptions, [](const CommandOptions& o) { return runRestoreCommand(o.restore); },
         restoreMissing},
        {"publish", "--root DIR [--key PRIVATE.pem [--valid-days N]] FILE.ks",
         "Copy FILE.ks to DIR\\def\\ and write the version page\n"
         "DIR\\def\\def_newv2.html naming it; with --key also its signature\n"
         "DIR\\def\\NAME.sig and the signed release statement\n"
         "DIR\\def\\release.txt and release.txt.sig (name, SHA-256, size, a serial\n"
         "that grows with each publication, the last day it counts), which\n"
         "Kestrune needs before it installs an update.",
         "",
         "",
         addPublishOptions, [](const CommandOptions& o) { return runPublishCommand(o.publish); },
         nullptr},
    };
    // clang-format on
    return kCommands;
}

}  // namespace cli
}  // namespace kestrune
