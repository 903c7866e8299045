// HeldFile: what an existing file is, asked through one handle held open: how
// many names (hard links) it has and which original file names its version
// resource gives. While the object lives, nobody can write, rename or delete
// the file (it is opened sharing reading only), so that the file judged is
// the file a following step (regsvr32.exe) loads under that name.
#pragma once

#include "platform/handles.h"

#include <string>
#include <vector>

namespace kestrune {

class HeldFile {
public:
    // Opens the file `path` for reading, sharing it with readers only.
    explicit HeldFile(const std::string& path);

    bool opened() const { return file_.valid(); }
    // True when the open failed because nothing is at `path`.
    bool missing() const;
    // The number of names of the file; 0 when it was not opened or the
    // system cannot tell.
    unsigned long linkCount() const;
    // The OriginalFilename text of every language of the file's version
    // resource, as the system reads it; empty when the file has none.
    std::vector<std::string> originalFileNames() const;

private:
    std::string path_;
    ScopedHandle file_;
    unsigned long openError_ = 0;
};

}  // namespace kestrune
