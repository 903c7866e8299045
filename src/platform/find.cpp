// Danger names of the result rows.
#include "platform/find.h"

namespace kestrune {

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
