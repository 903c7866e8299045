// The version page's text.
#include "update/version_page.h"

namespace kestrune {

namespace {

const char kWhiteSpace[] = " \t\r\n\f\v";

std::string trimmed(const std::string& text)
{
    std::string::size_type first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

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

bool isSafeReferenceFileName(const std::string& name)
{
    if (name.empty() || name.size() > 200)
        return false;
    if (name.find("..") != std::string::npos)
        return false;
    bool onlyDotsAndBlanks = true;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        case '.': case ' ':
            break;
        default:
            onlyDotsAndBlanks = false;
        }
    }
    return !onlyDotsAndBlanks;
}

}  // namespace kestrune
