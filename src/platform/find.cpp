// Type words and danger names of the result rows.
#include "platform/find.h"

namespace kestrune {

const char* typeWord(FindKind kind)
{
    switch (kind) {
    case FindKind::RegistryKey:
        return "RegKey";
    case FindKind::RegistryValue:
        return "RegValue";
    case FindKind::File:
        return "File";
    case FindKind::Folder:
        return "Folder";
    case FindKind::Cookie:
        return "Cookie";
    }
    return "";
}

std::string dangerName(int level)
{
    switch (level) {
    case 0:
        return "Not Critical";
    case 1:
        return "Dangerous";
    case 2:
        return "Severe";
    default:
        return std::string();
    }
}

}  // namespace kestrune
