// Writing a whole file so that its place holds either the old file or the new
// one, never half of one, and so that only the name is replaced: the bytes go
// to a new file of its own beside the place, which is then moved over the
// name with MoveFileExA(MOVEFILE_REPLACE_EXISTING). The other names of a hard
// link at the place keep what they held. (ReplaceFileA is not used: over a
// symbolic link it changes the link's target.)
#pragma once

#include <string>

namespace kestrune {

enum class FileWrite {
    Written,
    LinkOnPath,   // a link is on the path of the place's folder: nothing written
    NotWritten,   // the new file could not be made or written beside the place
    NotMoved,     // it could not be moved over the place; it is deleted again
};

// Writes `bytes` as the file `path` with `attributes` (set on the new file
// before the move). The place's folder must exist. Before the move the
// folder's path is asked once more about links. A read-only file at the
// place loses that attribute first when it has no other name; one that has
// other names is left as it is, and the move may then fail (NotMoved). The
// temporary name is "~ks<process id>-<number>.tmp" in the same folder; only
// a killed run can leave one behind (removeDeadTemporaries clears it).
// `beforeMove`, when given, is called once the new file is whole and has its
// attributes, just before the move (the crash tests stop there).
FileWrite writeFileInPlace(const std::string& path, const std::string& bytes,
                           unsigned long attributes, void (*beforeMove)() = nullptr);

// Deletes from `folder` the temporary files of writeFileInPlace that a run no
// longer living left: only plain files with one name, named exactly
// "~ks<process id>-<hex number>.tmp", whose process is gone. What a live run
// owns, links and anything else stay. Nothing is done where a link is on the
// folder's path.
void removeDeadTemporaries(const std::string& folder);

}  // namespace kestrune
