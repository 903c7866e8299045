// Where an existing path really leads: the system's own answer once every
// link, junction and short name on the way is followed.
#pragma once

#include <string>

namespace kestrune {

// The final path of the existing file or folder `path`, in the system's own
// spelling ("\\?\C:\..."), as GetFinalPathNameByHandleA gives it; empty when
// the path cannot be opened or the system cannot tell (before Vista the
// function does not exist).
std::string finalPathOf(const std::string& path);

}  // namespace kestrune
