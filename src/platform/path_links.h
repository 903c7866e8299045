// Whether a path passes through a link: a symbolic link, a junction, a mount
// point or any other reparse point in any of its parts, the last one
// included. The removal, the backup and the restore ask here before they act
// on a path, so that no link can lead them to another place than the one the
// path spells.
#pragma once

#include <string>

namespace kestrune {

// True when some existing part of `path` is a link: its attributes carry
// FILE_ATTRIBUTE_REPARSE_POINT, or the place the longest existing part leads
// to (finalPathOf) is not that part's own long spelling (Wine shows a
// symbolic link to a file as a plain file). Parts that do not exist yet are
// not looked at. A path that cannot be told safe counts as leading through a
// link: one the system cannot make absolute, one that is neither "X:\..." nor
// "\\server\share\...", a part whose attributes cannot be read for another
// reason than its absence, and an existing part that cannot be resolved on a
// system that resolves paths (before Vista only the attributes are asked).
bool pathLeadsThroughLink(const std::string& path);

}  // namespace kestrune
