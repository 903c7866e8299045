// Type words of the finds.
#include "scan/find.h"

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

}  // namespace kestrune
