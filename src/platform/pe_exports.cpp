// Reading a PE file's export name table through a ByteSource.
#include "platform/pe_exports.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrune {

namespace {

const std::uint16_t kDosMagic = 0x5A4D;          // "MZ"
const std::uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
const std::uint16_t kDllCharacteristic = 0x2000; // IMAGE_FILE_DLL
const std::uint16_t kPe32Magic = 0x10B;
const std::uint16_t kPe32PlusMagic = 0x20B;
const std::uint32_t kSectionHeaderSize = 40;
const std::uint32_t kExportDirectorySize = 40;
const std::uint32_t kSectionsPerRead = 64;
const std::uint16_t kMachineI386 = 0x14C;
const std::uint16_t kMachineAmd64 = 0x8664;
const std::uint16_t kMachineArm64 = 0xAA64;

std::uint16_t u16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t u32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Section {
    std::uint32_t address;   // VirtualAddress
    std::uint32_t extent;    // the larger of VirtualSize and SizeOfRawData
    std::uint32_t rawSize;   // SizeOfRawData
    std::uint32_t rawOffset; // PointerToRawData
};

// Bounded reads: a read that would pass the end of the file is refused
// without asking the source (outside() then says the file is damaged); a
// source that fails makes failed() true.
class Reader {
public:
    explicit Reader(const ByteSource& bytes) : bytes_(bytes), size_(bytes.size()) {}

    bool read(std::uint64_t offset, void* buffer, std::uint32_t count)
    {
        if (offset > size_ || count > size_ - offset)
            return false;
        if (!bytes_.read(offset, buffer, count)) {
            failed_ = true;
            return false;
        }
        return true;
    }
    std::uint64_t size() const { return size_; }
    bool failed() const { return failed_; }

private:
    const ByteSource& bytes_;
    const std::uint64_t size_;
    bool failed_ = false;
};

// Where the `length` bytes at `rva` lie in the file, when a section holds
// them all in its raw data inside the file.
bool fileOffset(const std::vector<Section>& sections, std::uint64_t fileSize, std::uint32_t rva,
                std::uint64_t length, std::uint64_t& offset)
{
    for (const Section& section : sections) {
        if (rva < section.address || rva - section.address >= section.extent)
            continue;
        const std::uint64_t inside = rva - section.address;
        if (inside + length > section.rawSize)
            return false;
        offset = static_cast<std::uint64_t>(section.rawOffset) + inside;
        return offset + length <= fileSize;
    }
    return false;
}

// The bytes available from `rva` to the end of its section's raw data in the
// file (0 when no section holds it), with their file offset; and in `zeros`
// how many zero bytes follow them as the loader maps the section (its
// virtual size past its raw data), when the raw data lies whole in the file.
std::uint64_t bytesFrom(const std::vector<Section>& sections, std::uint64_t fileSize,
                        std::uint32_t rva, std::uint64_t& offset, std::uint64_t& zeros)
{
    zeros = 0;
    for (const Section& section : sections) {
        if (rva < section.address || rva - section.address >= section.extent)
            continue;
        const std::uint64_t inside = rva - section.address;
        const std::uint64_t rawEnd = static_cast<std::uint64_t>(section.rawOffset) + section.rawSize;
        if (rawEnd <= fileSize)
            zeros = section.extent - std::max<std::uint64_t>(inside, section.rawSize);
        if (inside >= section.rawSize)
            return 0;
        offset = static_cast<std::uint64_t>(section.rawOffset) + inside;
        if (offset >= fileSize)
            return 0;
        return std::min<std::uint64_t>(section.rawSize - inside, fileSize - offset);
    }
    return 0;
}

enum class Order { Less, Equal, Greater, Damaged };

// Compares the name at `rva` with `wanted` as strcmp does (bytes unsigned);
// Damaged when the name is not inside its mapped section with its terminating zero
// (or the read failed).
Order compareName(Reader& reader, const std::vector<Section>& sections, std::uint32_t rva,
                  const std::string& wanted)
{
    std::uint64_t offset = 0, zeros = 0;
    const std::uint64_t available = bytesFrom(sections, reader.size(), rva, offset, zeros);
    const std::uint32_t fromFile =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(available, wanted.size() + 1));
    // A name may end in the zero-filled tail of its section, as the loader
    // sees it mapped.
    const std::uint32_t count = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(fromFile + zeros, wanted.size() + 1));
    std::vector<unsigned char> name(count, 0);
    if (count == 0 || (fromFile > 0 && !reader.read(offset, name.data(), fromFile)))
        return Order::Damaged;
    for (std::uint32_t i = 0; i <= wanted.size(); ++i) {
        if (i >= count)
            return Order::Damaged;   // no terminating zero before the section ends
        const unsigned char want = i < wanted.size() ? static_cast<unsigned char>(wanted[i]) : 0;
        if (name[i] != want)
            return name[i] < want ? Order::Less : Order::Greater;
        if (name[i] == 0)
            return Order::Equal;
    }
    return Order::Greater;
}

PeExport lookUp(Reader& reader, const std::string& wanted)
{
    unsigned char dos[64];
    if (!reader.read(0, dos, sizeof dos) || u16(dos) != kDosMagic)
        return PeExport::NotExported;
    const std::uint64_t pe = u32(dos + 0x3C);

    // Signature and IMAGE_FILE_HEADER.
    unsigned char header[24];
    if (!reader.read(pe, header, sizeof header) || u32(header) != kPeSignature)
        return PeExport::NotExported;
    const std::uint32_t sectionCount = u16(header + 6);
    const std::uint32_t optionalSize = u16(header + 20);
    if (!(u16(header + 22) & kDllCharacteristic))
        return PeExport::NotExported;

    // The optional header's export data directory.
    const std::uint64_t optional = pe + sizeof header;
    unsigned char magic[2];
    if (optionalSize < sizeof magic || !reader.read(optional, magic, sizeof magic))
        return PeExport::NotExported;
    std::uint32_t countField = 0;
    if (u16(magic) == kPe32Magic)
        countField = 92;
    else if (u16(magic) == kPe32PlusMagic)
        countField = 108;
    else
        return PeExport::NotExported;
    // NumberOfRvaAndSizes, then the directories; the export one comes first.
    unsigned char directory[12];
    if (optionalSize < countField + sizeof directory ||
        !reader.read(optional + countField, directory, sizeof directory) || u32(directory) < 1)
        return PeExport::NotExported;
    const std::uint32_t exportRva = u32(directory + 4);
    if (exportRva == 0)
        return PeExport::NotExported;

    // The section table, which must lie inside the file whole.
    const std::uint64_t table = optional + optionalSize;
    if (table + static_cast<std::uint64_t>(sectionCount) * kSectionHeaderSize > reader.size())
        return PeExport::NotExported;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    std::vector<unsigned char> chunk(kSectionsPerRead * kSectionHeaderSize);
    for (std::uint32_t first = 0; first < sectionCount; first += kSectionsPerRead) {
        const std::uint32_t count = std::min(kSectionsPerRead, sectionCount - first);
        if (!reader.read(table + static_cast<std::uint64_t>(first) * kSectionHeaderSize,
                         chunk.data(), count * kSectionHeaderSize))
            return PeExport::NotExported;
        for (std::uint32_t i = 0; i < count; ++i) {
            const unsigned char* entry = chunk.data() + i * kSectionHeaderSize;
            const std::uint32_t rawSize = u32(entry + 16);
            sections.push_back(Section{u32(entry + 12), std::max(u32(entry + 8), rawSize),
                                       rawSize, u32(entry + 20)});
        }
    }

    // IMAGE_EXPORT_DIRECTORY: NumberOfNames and AddressOfNames.
    std::uint64_t offset = 0;
    unsigned char exports[kExportDirectorySize];
    if (!fileOffset(sections, reader.size(), exportRva, sizeof exports, offset) ||
        !reader.read(offset, exports, sizeof exports))
        return PeExport::NotExported;
    const std::uint32_t nameCount = u32(exports + 24);
    std::uint64_t names = 0;
    if (nameCount == 0 ||
        !fileOffset(sections, reader.size(), u32(exports + 32),
                    static_cast<std::uint64_t>(nameCount) * 4, names))
        return PeExport::NotExported;

    // The names are sorted; a table that is not finds what the loader finds.
    std::uint32_t low = 0;
    std::uint32_t high = nameCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        unsigned char pointer[4];
        if (!reader.read(names + static_cast<std::uint64_t>(middle) * 4, pointer, sizeof pointer))
            return PeExport::NotExported;
        switch (compareName(reader, sections, u32(pointer), wanted)) {
        case Order::Equal:
            return PeExport::Exported;
        case Order::Less:
            low = middle + 1;
            break;
        case Order::Greater:
            high = middle;
            break;
        case Order::Damaged:
            return PeExport::NotExported;
        }
    }
    return PeExport::NotExported;
}

}  // namespace

bool MemoryBytes::read(std::uint64_t offset, void* buffer, std::uint32_t count) const
{
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return false;
    std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
}

PeBitness peBitness(const ByteSource& bytes)
{
    Reader reader(bytes);
    unsigned char dos[64];
    unsigned char header[6];
    if (!reader.read(0, dos, sizeof dos) || u16(dos) != kDosMagic ||
        !reader.read(u32(dos + 0x3C), header, sizeof header) || u32(header) != kPeSignature)
        return PeBitness::Unknown;
    switch (u16(header + 4)) {
    case kMachineI386:
        return PeBitness::Bits32;
    case kMachineAmd64:
    case kMachineArm64:
        return PeBitness::Bits64;
    default:
        return PeBitness::Unknown;
    }
}

PeExport peExports(const ByteSource& bytes, const std::string& name)
{
    Reader reader(bytes);
    const PeExport answer = lookUp(reader, name);
    return reader.failed() ? PeExport::Unreadable : answer;
}

}  // namespace kestrune
