// The note on standard error when the tool runs without administrator rights.
#include "elevation_notice.h"

#include "platform/elevation.h"

#include <cstdio>

namespace kestrune {
namespace cli {

void noteWhenNotElevated()
{
    static bool noted = false;
    if (noted || isElevated())
        return;
    noted = true;
    std::fputs("kestrune-cli: running without administrator rights; items under "
               "HKEY_LOCAL_MACHINE and Program Files may not be removable\n",
               stderr);
}

}  // namespace cli
}  // namespace kestrune
