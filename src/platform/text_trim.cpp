// Cutting blanks from both ends of a text.
#include "platform/text_trim.h"

namespace kestrune {

const char kWhiteSpace[] = " \t\r\n\f\v";
const char kLineBlanks[] = " \t\r\n";

std::string trimmed(const std::string& text, const char* blanks)
{
    const std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const std::string::size_type last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace kestrune
