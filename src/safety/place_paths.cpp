// Plain-path test and comparable forms of paths for the protected places.
#include "safety/place_paths.h"

#include "platform/paths.h"
#include "platform/system_paths.h"
#include "platform/handles.h"
#include "platform/text_compare.h"

#include <windows.h>

namespace kestrune {

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The parts of `path` after its "X:\" between backslashes, as whole
// characters of the ANSI code page (a trail byte that equals '\' does not
// split), each without trailing dots and blanks, the system's own spelling
// rule; parts left empty are dropped.
std::vector<std::string> partsAfterDrive(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&]() {
        std::string::size_type end = part.find_last_not_of(". ");
        part.erase(end == std::string::npos ? 0 : end + 1);
        if (!part.empty())
            parts.push_back(part);
        part.clear();
    };
    for (size_t i = 3; i < path.size(); ++i) {
        const char c = path[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            part += c;
            part += path[++i];
            continue;
        }
        if (isSeparator(c))
            flush();
        else
            part += c;
    }
    flush();
    return parts;
}

std::string joinedPath(const std::string& drive, const std::vector<std::string>& parts)
{
    std::string path = drive;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path += '\\';
        path += parts[i];
    }
    return path;
}

// The long spelling of `drive` + `parts`: the longest part that exists is
// spelled long and the missing rest appended as given, so that a short name
// on the way is recognised even when the place itself is missing. Short names
// that differ from the long ones hold a '~' ("PROGRA~1"); without one the
// path is its own long spelling and the file system is not asked.
std::string longSpelling(const std::string& drive, std::vector<std::string> parts)
{
    if (joinedPath(drive, parts).find('~') == std::string::npos)
        return joinedPath(drive, parts);
    std::vector<std::string> missing;
    for (;;) {
        const std::string head = joinedPath(drive, parts);
        std::string spelled = parts.empty() ? head : longPathOf(head);
        if (!spelled.empty() || parts.empty()) {
            if (spelled.empty())
                spelled = head;
            for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
                if (spelled.back() != '\\')
                    spelled += '\\';
                spelled += *it;
            }
            return spelled;
        }
        missing.push_back(parts.back());
        parts.pop_back();
    }
}

}  // namespace

bool plainPathText(const std::string& path)
{
    if (path.size() < 3 || !isAsciiLetter(path[0]) || path[1] != ':' || !isSeparator(path[2]))
        return false;
    for (size_t i = 2; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            ++i;   // a trail byte may equal any of the characters below
            continue;
        }
        if (c < 0x20)
            return false;
        switch (c) {
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

std::vector<std::string> comparablePaths(const std::string& path)
{
    std::vector<std::string> forms;
    comparablePathsResolved(path, forms);
    return forms;
}

bool comparablePathsResolved(const std::string& path, std::vector<std::string>& forms)
{
    forms.clear();
    if (!plainPathText(path))
        return false;
    const std::string full = fullPathOf(path);
    if (!plainPathText(full))
        return false;   // a device name ("C:\x\con" gives "\\.\con") or a failure
    const std::string drive = full.substr(0, 2) + "\\";
    const std::string spelled = longSpelling(drive, partsAfterDrive(full));

    forms.push_back(foldedText(withoutTrailingBackslashes(spelled)));
    const std::string led = leadsToPath(spelled);   // empty for a missing path
    if (led.empty())
        return false;
    std::string form = foldedText(withoutTrailingBackslashes(led));
    if (form != forms[0])
        forms.push_back(form);
    return true;
}

std::string finalComparablePath(const std::string& path)
{
    const std::string led = leadsToPath(path);
    return led.empty() ? std::string() : foldedText(withoutTrailingBackslashes(led));
}

}  // namespace kestrune
