// The console tool's note that it runs without administrator rights.
#pragma once

namespace kestrune {
namespace cli {

// Writes once per process on standard error, when the tool runs without
// administrator rights (isElevated()), that items under HKEY_LOCAL_MACHINE and
// Program Files may not be removable. Called by the commands that scan,
// remove or restore.
void noteWhenNotElevated();

}  // namespace cli
}  // namespace kestrune
