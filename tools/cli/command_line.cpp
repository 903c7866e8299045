// kestrune-cli's command line, read with CLI11: the commands of the table
// (commands.h) with their options, the usage and help made from their texts,
// and the command to run. CLI11 reports a bad command line by throwing;
// nothing leaves this file but the result of the parse.
#include "command_line.h"

#include "commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace kestrune {
namespace cli {

namespace {

// The overview's head; the commands follow it, made from their table.
const char kOverviewHead[] =
    "usage: kestrune-cli COMMAND [ARGUMENTS]\n"
    "       kestrune-cli COMMAND --help   that command's usage\n"
    "       kestrune-cli --version        the version, and the reference file of the\n"
    "                                     settings with its number of parasites\n";

// Usage lines run to 88 columns; the overview's texts to 79, from column 27.
const std::size_t kUsageWidth = 88;
const std::size_t kOverviewWidth = 79;
const std::size_t kOverviewColumn = 27;

// The words of `text`: what lies between spaces and line breaks, where a
// bracketed part ("[--report FILE]") is one word.
std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words(1);
    int depth = 0;
    for (const char c : text) {
        depth += c == '[' ? 1 : c == ']' ? -1 : 0;
        if ((c == ' ' || c == '\n') && depth <= 0) {
            if (!words.back().empty())
                words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

// `text` with its line breaks taken as spaces, its words wrapped into lines
// of at most `width` columns (a longer word stays whole) when the first
// begins at column `column`; each line after the first begins with `indent`
// spaces. No line break at the end.
std::string wrapped(const std::string& text, std::size_t column, std::size_t width,
                    std::size_t indent)
{
    std::string out;
    std::size_t at = column;
    for (const std::string& word : wordsOf(text)) {
        if (!out.empty()) {
            if (at + 1 + word.size() > width) {
                out += "\n" + std::string(indent, ' ');
                at = indent;
            } else {
                out += ' ';
                ++at;
            }
        }
        out += word;
        at += word.size();
    }
    return out;
}

// The lines of `text`, split at its line breaks.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    lines.push_back(text.substr(begin));
    return lines;
}

bool isGroup(const Command& command)
{
    return command.forms == nullptr;
}

bool inGroup(const Command& command, const Command& group)
{
    const std::string name = command.name;
    const std::string prefix = std::string(group.name) + " ";
    return name.compare(0, prefix.size(), prefix) == 0;
}

// "usage: kestrune-cli NAME FORM", a line for each form (a group: for each
// form of its commands), the lines after the first begun with "       ".
std::string usageOf(const Command& command)
{
    std::string usage;
    const auto addForms = [&usage](const Command& c) {
        const std::string head = std::string("kestrune-cli ") + c.name;
        for (const std::string& form : linesOf(c.forms)) {
            usage += usage.empty() ? "usage: " : "       ";
            const std::size_t column = 7 + head.size();
            usage += head + " " + wrapped(form, column + 1, kUsageWidth, column) + "\n";
        }
    };
    if (!isGroup(command)) {
        addForms(command);
        return usage;
    }
    for (const Command& c : consoleCommands()) {
        if (inGroup(c, command))
            addForms(c);
    }
    return usage;
}

// What the footer of a command's --help says: its note, then its exit codes.
std::string footerOf(const Command& command)
{
    const std::string note = command.note;
    const std::string exits = command.exits;
    return note.empty() || exits.empty() ? note + exits : note + "\n" + exits;
}

// The tool's help: its head, then every command's forms, each on a line that
// begins with the command's name, beside its description, note and exit
// codes; a blank line before each command outside a group.
std::string overview()
{
    std::string out = kOverviewHead;
    const std::string column(kOverviewColumn, ' ');
    for (const Command& command : consoleCommands()) {
        if (std::string(command.name).find(' ') == std::string::npos)
            out += "\n";
        if (isGroup(command))
            continue;
        std::string last;
        for (const std::string& form : linesOf(command.forms)) {
            if (!last.empty())
                out += last + "\n";
            const std::string head = std::string(command.name) + " ";
            last = head + wrapped(form, head.size(), kUsageWidth, head.size());
        }
        if (last.find('\n') == std::string::npos && last.size() < kOverviewColumn)
            out += last + std::string(kOverviewColumn - last.size(), ' ');
        else
            out += last + "\n" + column;
        bool first = true;
        for (const char* text : {command.description, command.note, command.exits}) {
            if (*text == '\0')
                continue;
            if (!first)
                out += column;
            out += wrapped(text, kOverviewColumn, kOverviewWidth, kOverviewColumn) + "\n";
            first = false;
        }
    }
    return out;
}

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

// The command the parse reached last (a defs subcommand, say), or `app`.
const CLI::App* reachedCommand(const CLI::App& app)
{
    const CLI::App* at = &app;
    while (!at->get_subcommands().empty())
        at = at->get_subcommands().front();
    return at;
}

// The tool's commands on `app`, with their usage, texts and options; `runs`
// gets each command's app beside its row of the table.
void addCommands(CLI::App& app, HelpFormatter& help, CommandOptions& o,
                 std::vector<std::pair<CLI::App*, const Command*>>& runs)
{
    CLI::App* group = nullptr;
    const Command* groupRow = nullptr;
    for (const Command& command : consoleCommands()) {
        const bool grouped = groupRow != nullptr && inGroup(command, *groupRow);
        CLI::App& parent = grouped ? *group : app;
        const std::string name =
            grouped ? command.name + std::strlen(groupRow->name) + 1 : std::string(command.name);
        CLI::App* c = parent.add_subcommand(name, command.description);
        help.setUsage(c, usageOf(command));
        const std::string footer = footerOf(command);
        if (!footer.empty())
            c->footer(footer);
        if (command.addOptions != nullptr)
            command.addOptions(*c, o);
        if (isGroup(command)) {
            c->require_subcommand(1);
            group = c;
            groupRow = &command;
        } else {
            runs.emplace_back(c, &command);
        }
    }
}

ParsedCommand usageError(const HelpFormatter& help, const CLI::App* command,
                         const std::string& message)
{
    std::fprintf(stderr, "kestrune-cli: %s\n", message.c_str());
    const std::string usage = help.usageOf(command);
    std::fputs(usage.empty() ? overview().c_str() : usage.c_str(), stderr);
    ParsedCommand result;
    result.exitCode = kExitUsage;
    return result;
}

}  // namespace

ParsedCommand parseCommandLine(int argc, char** argv, CommandOptions& options)
{
    ParsedCommand result;
    if (argc < 2) {
        std::fputs(overview().c_str(), stderr);
        result.exitCode = kExitUsage;
        return result;
    }
    CLI::App app("", "kestrune-cli");
    auto help = std::make_shared<HelpFormatter>();
    std::vector<std::pair<CLI::App*, const Command*>> runs;
    CLI::App* helpCommand = nullptr;
    bool version = false;
    try {
        // Set before the commands are added: they take their parent's.
        app.formatter(help);
        app.require_subcommand(0, 1);
        app.add_flag("--version", version, "the version");
        helpCommand = app.add_subcommand("help", "this help");
        addCommands(app, *help, options, runs);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const CLI::App* command = reachedCommand(app);
        std::fputs(command == &app ? overview().c_str() : command->help().c_str(), stdout);
        return result;
    } catch (const CLI::Error& e) {
        return usageError(*help, reachedCommand(app), e.what());
    }
    if (helpCommand->parsed()) {
        if (version)
            return usageError(*help, &app, "--version goes without a command");
        result.run = [] {
            std::fputs(overview().c_str(), stdout);
            return static_cast<int>(kExitOk);
        };
        return result;
    }
    for (const auto& run : runs) {
        if (!run.first->parsed())
            continue;
        const Command& command = *run.second;
        const std::string missing =
            command.missingArgument != nullptr ? command.missingArgument(options) : std::string();
        if (!missing.empty())
            return usageError(*help, run.first, missing);
        if (version)
            return usageError(*help, &app, "--version goes without a command");
        result.run = [&options, &command] { return command.run(options); };
        return result;
    }
    if (!version)
        return usageError(*help, &app, "name a command");
    result.run = runVersionCommand;
    return result;
}

}  // namespace cli
}  // namespace kestrune
