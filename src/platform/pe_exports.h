// Whether a file is a PE DLL that exports a given name, and its bitness, read from its headers
// and export table without loading it. The parser treats the file as hostile:
// it works over a ByteSource, checks every offset, count and size against the
// file's size before it reads, and reads only a few bytes at a time, so a
// damaged or deceitful file costs a bounded number of small reads and never a
// large allocation. It includes no Windows headers; FileBytes (file_bytes.h)
// is the ByteSource over a file on disk.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

// Bytes that can be read at any offset below size().
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies `count` bytes from `offset` into `buffer`; false when they could
    // not all be read. The parser asks only for bytes below size().
    virtual bool read(std::uint64_t offset, void* buffer, std::uint32_t count) const = 0;
};

// A ByteSource over bytes held in memory (the tests' buffers).
class MemoryBytes : public ByteSource {
public:
    explicit MemoryBytes(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, void* buffer, std::uint32_t count) const override;

private:
    const std::string& bytes_;
};

enum class PeExport {
    Exported,     // a PE DLL (PE32 or PE32+) whose export name table holds the name
    NotExported,  // read whole: no PE DLL, no export table, the name is not in it,
                  // or headers or tables that are damaged or point outside the file
    Unreadable,   // a read failed: nothing can be said
};

// Looks `name` up in the export name table of the DLL in `bytes` the way the
// loader does, by a binary search over the sorted names (at most 32 steps).
PeExport peExports(const ByteSource& bytes, const std::string& name);

// The bitness of the code in a PE file, from its file header's machine field.
enum class PeBitness {
    Bits32,    // x86 (IMAGE_FILE_MACHINE_I386)
    Bits64,    // x64 or ARM64
    Unknown,   // no PE file, another machine, or a read failed
};
PeBitness peBitness(const ByteSource& bytes);

}  // namespace kestrune
