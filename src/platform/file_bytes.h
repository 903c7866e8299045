// Every read and write of a file's bytes on disk: FileBytes, a ByteSource over
// a file read with ReadFile at the offsets asked for, and the export look-up
// of a file by its path; a whole file read into memory, written afresh, or
// added to at its end.
#pragma once

#include "platform/handles.h"
#include "platform/pe_exports.h"

#include <string>

namespace kestrune {

class FileBytes : public ByteSource {
public:
    // Opens `path` for reading, sharing it with every other user of the file;
    // opened() is false when that fails.
    explicit FileBytes(const std::string& path);

    bool opened() const { return file_.valid(); }
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, void* buffer, std::uint32_t count) const override;

private:
    ScopedHandle file_;
    std::uint64_t size_ = 0;
};

// peExports over the file at `path`; Unreadable when it cannot be opened.
PeExport fileExports(const std::string& path, const std::string& name);
// peBitness over the file at `path`; Unknown when it cannot be opened.
PeBitness fileBitness(const std::string& path);

// Reads the whole file at `path`, shared with others only as `share` allows
// (FILE_SHARE_ flags; none by default). False when it cannot be opened, read
// or closed, is larger than 2 GB, or memory runs out; `bytes` is then empty.
bool readWholeFile(const std::string& path, std::string& bytes, DWORD share = 0);

// Makes the file at `path` afresh (a file there is replaced) holding exactly
// `bytes`, unshared while it is written. False when it cannot be made, the
// bytes cannot all be written or the file cannot be closed.
bool writeWholeFile(const std::string& path, const std::string& bytes);

// Adds `bytes` at the end of the file at `path`, making it when missing;
// readers may share it. False when it cannot be opened, the bytes cannot all
// be written or the file cannot be closed.
bool appendToFile(const std::string& path, const std::string& bytes);

}  // namespace kestrune
