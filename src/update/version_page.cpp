// The version page's text.
#include "update/version_page.h"

#include "platform/text_trim.h"

namespace kestrune {

namespace {

std::string lowerCased(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

}  // namespace

std::string fileNameFromVersionPage(const std::string& page)
{
    std::string text = lowerCased(page);
    const std::string open = "<body>";
    const std::string close = "</body>";
    std::string::size_type start = text.find(open);
    if (start != std::string::npos) {
        text.erase(0, start + open.size());
        std::string::size_type end = text.find(close);
        if (end != std::string::npos)
            text.erase(end);
    }
    return trimmed(text);
}

bool isKestruneFileName(const std::string& name)
{
    static const char* const kOwnFiles[] = {
        "kestrune.exe", "kestrune-cli.exe", "uninst.exe", "readme.txt", "log.txt",
        "config.ini", "manifest.ini", "release.txt", "release.txt.sig",
    };
    const std::string lower = lowerCased(name);
    for (const char* own : kOwnFiles)
        if (lower == own)
            return true;
    return false;
}

bool isSafeReferenceFileName(const std::string& name)
{
    const std::string extension = ".ks";
    if (name.size() <= extension.size() || name.size() > 200)
        return false;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!plain)
            return false;
    }
    const std::string lower = lowerCased(name);
    if (lower.compare(lower.size() - extension.size(), extension.size(), extension) != 0 ||
        lower.find("..") != std::string::npos || isKestruneFileName(lower))
        return false;
    // Windows opens a device for these whatever follows the first dot.
    const std::string stem = lower.substr(0, lower.find('.'));
    static const char* const kDevices[] = {"con", "prn", "aux", "nul"};
    for (const char* device : kDevices)
        if (stem == device)
            return false;
    if (stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
        stem[3] >= '0' && stem[3] <= '9')
        return false;
    return true;
}

}  // namespace kestrune
