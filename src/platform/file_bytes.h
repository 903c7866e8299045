// FileBytes: a ByteSource over a file on disk, read with ReadFile at the
// offsets asked for, and the export look-up of a file by its path.
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

}  // namespace kestrune
