// kestrune-cli's command line, read with CLI11: every command with its
// options, its usage and its help. CLI11 reports a bad command line by
// throwing; nothing leaves this file but the result of the parse.
#include "command_line.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>

namespace kestrune {
namespace cli {

namespace {

// The tool's help: every command on a line that begins with its name.
const char kOverview[] =
    "usage: kestrune-cli COMMAND [ARGUMENTS]\n"
    "       kestrune-cli COMMAND --help   that command's usage\n"
    "       kestrune-cli --version        the version, and the reference file of the\n"
    "                                     settings with its number of parasites\n"
    "\n"
    "defs pack IN OUT           scramble a markup file into a reference file\n"
    "defs unpack IN OUT         unscramble a reference file into markup\n"
    "defs check [--plain] FILE  report errors and warnings in a reference file,\n"
    "                           items naming protected places among them\n"
    "defs dump FILE             write the loaded definitions as JSON\n"
    "defs verify FILE SIGNATURE [--key PUBLIC.pem]\n"
    "                           check FILE's signature (as written by publish\n"
    "                           --key or openssl dgst -sha256 -sign) with the\n"
    "                           built-in update key or PUBLIC.pem.\n"
    "                           Exit 0: good, 1: bad, 2: error\n"
    "\n"
    "scan [--definitions FILE] [--folder DIR] [--quiet] [--json] [--no-ignore]\n"
    "     [--report FILE]\n"
    "                           scan this PC (or one folder tree) with the\n"
    "                           definitions of FILE or of the settings; one\n"
    "                           line per find on standard output: parasite,\n"
    "                           location, type and danger separated by tabs\n"
    "                           (--json: one JSON document); progress on\n"
    "                           standard error unless --quiet; --report\n"
    "                           writes the scan report to FILE.\n"
    "                           Exit 0: nothing found, 1: found, 2: error\n"
    "clean [--definitions FILE] [--backup [--force]] [--quiet] [--json] [--no-ignore]\n"
    "                           scan the whole PC and remove every find;\n"
    "                           one line per item on standard output (--json:\n"
    "                           one JSON document). Exit 0: all removed,\n"
    "                           3: restart needed, 1: something left, 2: error\n"
    "\n"
    "ignore --list              the ignore list: kind, location, parasite, date\n"
    "ignore --add KIND LOCATION keep a find out of every scan and clean (KIND:\n"
    "                           File, Folder, RegKey, RegValue or Cookie)\n"
    "ignore --remove KIND LOCATION\n"
    "                           take an entry off the list. Exit 0: done,\n"
    "                           1: no such entry, 2: bad arguments\n"
    "\n"
    "restore --list             list the backup archives, newest first: file name,\n"
    "                           date, number of items and size\n"
    "restore --list ARCHIVE     list an archive's items: kind and original place\n"
    "restore ARCHIVE [--force] [--quiet]\n"
    "                           put every item of ARCHIVE (a path, or a file name\n"
    "                           in the backup folder) back; --force replaces a\n"
    "                           different file in an item's place. Exit 0: all\n"
    "                           restored, 1: something not, 2: bad arguments or\n"
    "                           a damaged archive (nothing is written)\n"
    "restore --delete ARCHIVE   delete a backup archive; anything but a Kestrune\n"
    "                           archive in a backup folder is refused (exit 2)\n"
    "restore --prune [--keep N] [--days D]\n"
    "                           delete the archives beyond the newest N (10) that\n"
    "                           are older than D (90) days, as after each backup;\n"
    "                           0 keeps all. Exit 0: done, 1: one could not be\n"
    "                           deleted, 2: bad arguments\n"
    "\n"
    "publish --root DIR [--key PRIVATE.pem [--valid-days N]] FILE.ks\n"
    "                           copy FILE.ks to DIR\\def\\ and write the version page\n"
    "                           DIR\\def\\def_newv2.html naming it; with --key also\n"
    "                           its signature DIR\\def\\NAME.sig and the signed\n"
    "                           release statement DIR\\def\\release.txt (+ .sig:\n"
    "                           name, SHA-256, size, a serial that grows with each\n"
    "                           publication, valid N days, default 90), which\n"
    "                           Kestrune needs before it installs an update\n";

// CLI11's help with our usage lines, the usage first.
class HelpFormatter : public CLI::Formatter {
public:
    void setUsage(const CLI::App* app, const std::string& usage) { usages_[app] = usage; }

    // The usage of `app`, or of the command above it when it has none.
    std::string usageOf(const CLI::App* app) const
    {
        for (; app != nullptr; app = app->get_parent()) {
            const auto usage = usages_.find(app);
            if (usage != usages_.end())
                return usage->second;
        }
        return std::string();
    }

    std::string make_usage(const CLI::App* app, std::string name) const override
    {
        const std::string usage = usageOf(app);
        return usage.empty() ? CLI::Formatter::make_usage(app, name) : usage;
    }

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override
    {
        if (mode == CLI::AppFormatMode::Sub)
            return make_expanded(app);
        return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
               make_groups(app, mode) + make_subcommands(app, mode) + "\n" + make_footer(app);
    }

private:
    std::map<const CLI::App*, std::string> usages_;
};

// Paths and names given as options must not be empty.
const CLI::Validator kNotEmpty(
    [](std::string& value) { return value.empty() ? std::string("needs a value") : std::string(); },
    "");

// The command the parse reached last (a defs subcommand, say), or `app`.
const CLI::App* reachedCommand(const CLI::App& app)
{
    const CLI::App* at = &app;
    while (!at->get_subcommands().empty())
        at = at->get_subcommands().front();
    return at;
}

// The tool's commands on `app`; `runs` gets what each runs once parsed.
void addCommands(CLI::App& app, HelpFormatter& help, CommandOptions& o,
                 std::vector<std::pair<CLI::App*, std::function<int()>>>& runs)
{
    CLI::App* defs = app.add_subcommand("defs", "Reference files: pack, unpack, check, dump, verify.");
    defs->require_subcommand(1);
    help.setUsage(defs,
                  "usage: kestrune-cli defs pack IN OUT\n"
                  "       kestrune-cli defs unpack IN OUT\n"
                  "       kestrune-cli defs check [--plain] FILE\n"
                  "       kestrune-cli defs dump FILE\n"
                  "       kestrune-cli defs verify FILE SIGNATURE [--key PUBLIC.pem]\n");
    for (const char* name : {"pack", "unpack"}) {
        const bool pack = name[0] == 'p';
        CLI::App* scramble = defs->add_subcommand(
            name, pack ? "Scramble the markup file IN into the reference file OUT."
                       : "Unscramble the reference file IN into the markup file OUT.");
        help.setUsage(scramble, std::string("usage: kestrune-cli defs ") + name + " IN OUT\n");
        scramble->add_option("IN", o.defs.in, "file to read")->required()->type_name("");
        scramble->add_option("OUT", o.defs.out, "file to write")->required()->type_name("");
        runs.emplace_back(scramble, [&o] { return runDefsScramble(o.defs); });
    }
    CLI::App* check = defs->add_subcommand(
        "check", "Report errors and warnings in a reference file, items naming\n"
                 "protected places among them.");
    help.setUsage(check, "usage: kestrune-cli defs check [--plain] FILE\n");
    check->add_flag("--plain", o.defs.plain, "FILE is unscrambled markup");
    check->add_option("FILE", o.defs.file, "the reference file")->required()->type_name("");
    check->footer("Exit 0: nothing to report, 1: errors or warnings, 2: FILE cannot be read");
    runs.emplace_back(check, [&o] { return runDefsCheck(o.defs); });
    CLI::App* dump = defs->add_subcommand(
        "dump", "Write the loaded definitions as JSON on standard output.");
    help.setUsage(dump, "usage: kestrune-cli defs dump FILE\n");
    dump->add_option("FILE", o.defs.file, "the reference file")->required()->type_name("");
    dump->footer("Exit 0: written, 1: FILE cannot be read or loaded");
    runs.emplace_back(dump, [&o] { return runDefsDump(o.defs); });
    CLI::App* verify = defs->add_subcommand(
        "verify", "Check FILE's signature (as written by publish --key or openssl dgst\n"
                  "-sha256 -sign) with the built-in update key or PUBLIC.pem.");
    help.setUsage(verify, "usage: kestrune-cli defs verify FILE SIGNATURE [--key PUBLIC.pem]\n");
    verify->add_option("FILE", o.defs.file, "the signed file")->required()->type_name("");
    verify->add_option("SIGNATURE", o.defs.signature, "its signature")->required()->type_name("");
    verify->add_option("--key", o.defs.key, "PEM public key to check with")
        ->type_name("PUBLIC.pem")
        ->check(kNotEmpty);
    verify->footer("Exit 0: good signature, 1: bad, 2: a file cannot be read or no public key");
    runs.emplace_back(verify, [&o] { return runDefsVerify(o.defs); });

    CLI::App* scan = app.add_subcommand(
        "scan", "Scan this PC (or one folder tree) with the definitions of FILE or of the\n"
                "settings. One line per find on standard output: parasite, location,\n"
                "type and danger, separated by tabs. Progress on standard error.");
    help.setUsage(scan, "usage: kestrune-cli scan [--definitions FILE] [--folder DIR] [--quiet] [--json]\n"
                        "                        [--no-ignore] [--report FILE]\n");
    scan->add_option("--definitions", o.scan.definitions, "reference file to scan with")
        ->type_name("FILE")
        ->check(kNotEmpty);
    scan->add_option("--folder", o.scan.folder, "scan only this folder tree")
        ->type_name("DIR")
        ->check(kNotEmpty);
    scan->add_flag("--quiet", o.scan.quiet, "no progress on standard error")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    scan->add_flag("--json", o.scan.json, "the whole scan as one JSON document on standard output")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    scan->add_flag("--no-ignore", o.scan.noIgnore, "report the finds of the ignore list too");
    scan->add_option("--report", o.scan.report, "write the scan report to FILE")
        ->type_name("FILE")
        ->check(kNotEmpty);
    scan->footer("Finds of the ignore list are counted on standard error, not reported.\n"
                 "Exit 0: nothing found, 1: found (or the scan failed), 2: error");
    runs.emplace_back(scan, [&o] { return runScanCommand(o.scan); });

    CLI::App* clean = app.add_subcommand(
        "clean", "Scan the whole PC and remove every find, writing the removal log.\n"
                 "One line per item on standard output.");
    help.setUsage(clean, "usage: kestrune-cli clean [--definitions FILE] [--backup [--force]] [--quiet] [--json]\n"
                         "                         [--no-ignore]\n");
    clean->add_option("--definitions", o.clean.definitions, "reference file to scan with")
        ->type_name("FILE")
        ->check(kNotEmpty);
    CLI::Option* backup = clean->add_flag("--backup", o.clean.backup, "back the finds up first");
    clean->add_flag("--force", o.clean.force, "remove even when the backup is incomplete")
        ->needs(backup);
    clean->add_flag("--quiet", o.clean.quiet, "no scan phases, programs or backup steps on standard error");
    clean->add_flag("--json", o.clean.json, "the whole run as one JSON document on standard output");
    clean->add_flag("--no-ignore", o.clean.noIgnore, "remove the finds of the ignore list too");
    clean->footer("Finds of the ignore list, and folders and keys holding one, stay.\n"
                  "Exit 0: all removed (or nothing found), 3: restart needed, 1: something\n"
                  "left or the backup stopped the run, 2: error");
    runs.emplace_back(clean, [&o] { return runCleanCommand(o.clean); });

    CLI::App* restore = app.add_subcommand(
        "restore", "List, restore, delete or prune the backups that clean --backup and\n"
                   "the window make. ARCHIVE is a path, or a file name in the backup folder.");
    help.setUsage(restore,
                  "usage: kestrune-cli restore --list [ARCHIVE]\n"
                  "       kestrune-cli restore ARCHIVE [--force] [--quiet]\n"
                  "       kestrune-cli restore --delete ARCHIVE\n"
                  "       kestrune-cli restore --prune [--keep N] [--days D]\n");
    restore->add_option("ARCHIVE", o.restore.archive, "the backup archive")->type_name("")->check(kNotEmpty);
    CLI::Option* list = restore->add_flag(
        "--list", o.restore.list, "list the archives, newest first, or ARCHIVE's items");
    CLI::Option* remove = restore->add_flag("--delete", o.restore.remove, "delete ARCHIVE");
    CLI::Option* force = restore->add_flag(
        "--force", o.restore.force, "replace a different file in an item's place");
    CLI::Option* quiet = restore->add_flag("--quiet", o.restore.quiet, "no progress line");
    CLI::Option* prune = restore->add_flag(
        "--prune", o.restore.prune, "delete the old archives beyond the newest few");
    restore->add_option("--keep", o.restore.keep, "keep the newest N archives (0: all)")
        ->type_name("N")
        ->check(CLI::Range(0, 99999))
        ->needs(prune);
    restore->add_option("--days", o.restore.days, "delete only archives older than D days (0: none)")
        ->type_name("D")
        ->check(CLI::Range(0, 99999))
        ->needs(prune);
    list->excludes(remove)->excludes(force)->excludes(prune);
    remove->excludes(force)->excludes(quiet)->excludes(prune);
    prune->excludes(force)->excludes(quiet);
    restore->footer("Exit 0: all restored, 1: something not, 2: bad arguments or a damaged\n"
                    "archive (nothing is written)");
    runs.emplace_back(restore, [&o] { return runRestoreCommand(o.restore); });

    CLI::App* publish = app.add_subcommand(
        "publish", "Copy FILE.ks to DIR\\def\\ and write the version page\n"
                   "DIR\\def\\def_newv2.html naming it; with --key also its signature\n"
                   "DIR\\def\\NAME.sig and the signed release statement\n"
                   "DIR\\def\\release.txt and release.txt.sig (name, SHA-256, size, a serial\n"
                   "that grows with each publication, the last day it counts), which\n"
                   "Kestrune needs before it installs an update.");
    help.setUsage(publish, "usage: kestrune-cli publish --root DIR [--key PRIVATE.pem "
                           "[--valid-days N]] FILE.ks\n");
    publish->add_option("--root", o.publish.root, "the update server's folder")
        ->type_name("DIR")
        ->required()
        ->check(kNotEmpty);
    publish->add_option("--key", o.publish.key, "RSA private key in PEM to sign with")
        ->type_name("PRIVATE.pem")
        ->check(kNotEmpty);
    publish->add_option("--valid-days", o.publish.validDays,
                        "days the release statement counts (default 90)")
        ->type_name("N")
        ->check(CLI::Range(1, 3650));
    publish->add_option("FILE.ks", o.publish.file, "the reference file")->required()->type_name("");
    runs.emplace_back(publish, [&o] { return runPublishCommand(o.publish); });

    CLI::App* ignore = app.add_subcommand(
        "ignore", "The ignore list: finds the user keeps, which scan and clean pass over.\n"
                  "KIND is the Type word (File, Folder, RegKey, RegValue, Cookie) in any\n"
                  "case; LOCATION as the find's location shows it, in any case.");
    help.setUsage(ignore,
                  "usage: kestrune-cli ignore --list\n"
                  "       kestrune-cli ignore --add KIND LOCATION\n"
                  "       kestrune-cli ignore --remove KIND LOCATION\n");
    CLI::Option* ignoreList = ignore->add_flag("--list", o.ignore.list,
                                               "the entries: kind, location, parasite, date");
    CLI::Option* ignoreAdd =
        ignore->add_flag("--add", o.ignore.add, "add the entry KIND LOCATION");
    CLI::Option* ignoreRemove =
        ignore->add_flag("--remove", o.ignore.remove, "remove the entry KIND LOCATION");
    ignore->add_option("KIND", o.ignore.kind, "File, Folder, RegKey, RegValue or Cookie")
        ->type_name("")
        ->check(kNotEmpty);
    ignore->add_option("LOCATION", o.ignore.location, "the find's location")
        ->type_name("")
        ->check(kNotEmpty);
    ignoreList->excludes(ignoreAdd)->excludes(ignoreRemove);
    ignoreAdd->excludes(ignoreRemove);
    ignore->footer("Exit 0: done, 1: nothing matched (--remove), 2: bad arguments");
    runs.emplace_back(ignore, [&o] { return runIgnoreCommand(o.ignore); });
}

// What CLI11 cannot say: restore needs an ARCHIVE unless it lists; ignore
// needs one of its three options, and KIND and LOCATION with --add and
// --remove only. Empty when the options are whole.
std::string missingArgument(const CLI::App& app, const CommandOptions& o)
{
    const CLI::App* restore = app.get_subcommand("restore");
    if (restore->parsed() && !o.restore.list && !o.restore.prune && o.restore.archive.empty())
        return "name an archive";
    if (restore->parsed() && o.restore.prune && !o.restore.archive.empty())
        return "--prune takes no archive";
    const CLI::App* ignore = app.get_subcommand("ignore");
    if (ignore->parsed()) {
        const IgnoreOptions& i = o.ignore;
        if (!i.list && !i.add && !i.remove)
            return "name --list, --add or --remove";
        if (i.list && !i.kind.empty())
            return "--list takes no KIND or LOCATION";
        if (!i.list && i.location.empty())
            return "--add and --remove take a KIND and a LOCATION";
    }
    return std::string();
}

ParsedCommand usageError(const HelpFormatter& help, const CLI::App* command,
                         const std::string& message)
{
    std::fprintf(stderr, "kestrune-cli: %s\n", message.c_str());
    const std::string usage = help.usageOf(command);
    std::fputs(usage.empty() ? kOverview : usage.c_str(), stderr);
    ParsedCommand result;
    result.exitCode = kExitUsage;
    return result;
}

}  // namespace

ParsedCommand parseCommandLine(int argc, char** argv, CommandOptions& options)
{
    ParsedCommand result;
    if (argc < 2) {
        std::fputs(kOverview, stderr);
        result.exitCode = kExitUsage;
        return result;
    }
    CLI::App app("", "kestrune-cli");
    auto help = std::make_shared<HelpFormatter>();
    std::vector<std::pair<CLI::App*, std::function<int()>>> runs;
    bool version = false;
    try {
        // Set before the commands are added: they take their parent's.
        app.formatter(help);
        app.require_subcommand(0, 1);
        app.add_flag("--version", version, "the version");
        CLI::App* helpCommand = app.add_subcommand("help", "this help");
        runs.emplace_back(helpCommand, [] {
            std::fputs(kOverview, stdout);
            return static_cast<int>(kExitOk);
        });
        addCommands(app, *help, options, runs);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const CLI::App* command = reachedCommand(app);
        std::fputs(command == &app ? kOverview : command->help().c_str(), stdout);
        return result;
    } catch (const CLI::Error& e) {
        return usageError(*help, reachedCommand(app), e.what());
    }
    const std::string missing = missingArgument(app, options);
    if (!missing.empty())
        return usageError(*help, reachedCommand(app), missing);
    for (const auto& run : runs) {
        if (run.first->parsed()) {
            if (version)
                return usageError(*help, &app, "--version goes without a command");
            result.run = run.second;
            return result;
        }
    }
    if (!version)
        return usageError(*help, &app, "name a command");
    result.run = runVersionCommand;
    return result;
}

}  // namespace cli
}  // namespace kestrune
