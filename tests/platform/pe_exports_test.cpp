// The export look-up over buffers: a synthetic DLL image and damaged copies of
// it. Portable: the host build runs it under the sanitizers too.
#include "platform/pe_exports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ks = kestrune;
using ks::PeExport;

namespace {

const char kWanted[] = "DllUnregisterServer";

// Offsets in the synthetic image below.
const std::uint32_t kPe = 0x40;
const std::uint32_t kOptional = kPe + 24;
const std::uint32_t kRaw = 0x200;   // the one section's raw data: the exports
const std::uint32_t kRva = 0x1000;

void put16(std::string& image, std::uint32_t at, std::uint32_t value)
{
    image[at] = static_cast<char>(value);
    image[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& image, std::uint32_t at, std::uint32_t value)
{
    put16(image, at, value & 0xFFFF);
    put16(image, at + 2, value >> 16);
}

// A DLL image with one section holding an export directory, its name pointer
// table and the names (sorted by the caller). PE32+ when `wide`.
std::string dllImage(const std::vector<std::string>& names, bool wide = false)
{
    const std::uint32_t optionalSize = wide ? 240 : 224;
    std::string image(kRaw, '\0');
    image += std::string(40 + 4 * names.size(), '\0');
    std::vector<std::uint32_t> nameRvas;
    for (const std::string& name : names) {
        nameRvas.push_back(kRva + static_cast<std::uint32_t>(image.size()) - kRaw);
        image += name + '\0';
    }
    const std::uint32_t rawSize = static_cast<std::uint32_t>(image.size()) - kRaw;
    image[0] = 'M';
    image[1] = 'Z';
    put32(image, 0x3C, kPe);
    put32(image, kPe, 0x00004550);
    put16(image, kPe + 4, wide ? 0x8664 : 0x14C);
    put16(image, kPe + 6, 1);
    put16(image, kPe + 20, optionalSize);
    put16(image, kPe + 22, 0x2002);   // DLL, executable
    put16(image, kOptional, wide ? 0x20B : 0x10B);
    const std::uint32_t directories = kOptional + (wide ? 108 : 92);
    put32(image, directories, 16);
    put32(image, directories + 4, kRva);
    put32(image, directories + 8, rawSize);
    const std::uint32_t section = kOptional + optionalSize;
    put32(image, section + 8, rawSize);
    put32(image, section + 12, kRva);
    put32(image, section + 16, rawSize);
    put32(image, section + 20, kRaw);
    put32(image, kRaw + 24, static_cast<std::uint32_t>(names.size()));
    put32(image, kRaw + 32, kRva + 40);
    for (size_t i = 0; i < nameRvas.size(); ++i)
        put32(image, kRaw + 40 + 4 * static_cast<std::uint32_t>(i), nameRvas[i]);
    return image;
}

const std::vector<std::string> kComponentNames = {"DllCanUnloadNow", "DllGetClassObject",
                                                  "DllRegisterServer", "DllUnregisterServer"};

PeExport lookUp(const std::string& image)
{
    return ks::peExports(ks::MemoryBytes(image), kWanted);
}

class FailingBytes : public ks::ByteSource {
public:
    std::uint64_t size() const override { return 4096; }
    bool read(std::uint64_t, void*, std::uint32_t) const override { return false; }
};

}  // namespace

TEST(PeExports, NamesAreFoundWhereverTheySortAndNowhereElse)
{
    EXPECT_EQ(PeExport::Exported, lookUp(dllImage(kComponentNames)));
    EXPECT_EQ(PeExport::Exported, lookUp(dllImage(kComponentNames, true)));
    EXPECT_EQ(PeExport::Exported, lookUp(dllImage({kWanted})));
    EXPECT_EQ(PeExport::Exported, lookUp(dllImage({kWanted, "Zzz"})));
    EXPECT_EQ(PeExport::NotExported, lookUp(dllImage({"DllRegisterServer"})));
    EXPECT_EQ(PeExport::NotExported,
              lookUp(dllImage({"DllUnregisterServe", "DllUnregisterServerEx"})));
    EXPECT_EQ(PeExport::NotExported, lookUp(dllImage({})));
    // The last name's terminating zero lies in the section's zero-filled
    // tail: past its raw data, within its virtual size.
    std::string tail = dllImage(kComponentNames);
    tail.pop_back();
    put32(tail, kOptional + 224 + 16, static_cast<std::uint32_t>(tail.size()) - kRaw);
    EXPECT_EQ(PeExport::Exported, lookUp(tail));
}

TEST(PeExports, DamagedOrForeignFilesExportNothing)
{
    const std::string good = dllImage(kComponentNames);
    const std::uint32_t section = kOptional + 224;
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"text renamed", [](std::string& s) { s = "just some text, not a program\r\n"; }},
        {"cut in the headers", [](std::string& s) { s.resize(kPe + 10); }},
        {"cut in the names", [](std::string& s) { s.resize(s.size() - 3); }},
        {"no MZ", [](std::string& s) { s[0] = 'Z'; }},
        {"e_lfanew past the end", [](std::string& s) { put32(s, 0x3C, 0xFFFFFFF0); }},
        {"e_lfanew at the end",
         [](std::string& s) { put32(s, 0x3C, static_cast<std::uint32_t>(s.size()) - 4); }},
        {"no PE signature", [](std::string& s) { s[kPe] = 'X'; }},
        {"a program, not a DLL", [](std::string& s) { put16(s, kPe + 22, 0x0102); }},
        {"unknown optional magic", [](std::string& s) { put16(s, kOptional, 0x107); }},
        {"optional header too short", [](std::string& s) { put16(s, kPe + 20, 90); }},
        {"no data directories", [](std::string& s) { put32(s, kOptional + 92, 0); }},
        {"no export directory", [](std::string& s) { put32(s, kOptional + 96, 0); }},
        {"export RVA outside every section",
         [](std::string& s) { put32(s, kOptional + 96, 0x7FFFFFF0); }},
        {"sections past the end", [](std::string& s) { put16(s, kPe + 6, 0xFFFF); }},
        {"no sections", [](std::string& s) { put16(s, kPe + 6, 0); }},
        {"raw data past the end",
         [section](std::string& s) { put32(s, section + 20, 0xFFFFFF00); }},
        {"name count huge", [](std::string& s) { put32(s, kRaw + 24, 0xFFFFFFFF); }},
        {"name table outside", [](std::string& s) { put32(s, kRaw + 32, 0xFFFFFFFC); }},
        {"first name probed outside", [](std::string& s) { put32(s, kRaw + 40 + 8, 0x80000000); }},
        {"name without its end",
         [section](std::string& s) {
             s.pop_back();
             put32(s, section + 8, static_cast<std::uint32_t>(s.size()) - kRaw);
             put32(s, section + 16, static_cast<std::uint32_t>(s.size()) - kRaw);
         }},
    };
    for (const Case& c : cases) {
        std::string image = good;
        c.damage(image);
        EXPECT_EQ(PeExport::NotExported, lookUp(image)) << c.what;
    }
    EXPECT_EQ(PeExport::Unreadable, ks::peExports(FailingBytes(), kWanted));
}

TEST(PeExports, BitnessIsTheMachineField)
{
    using ks::PeBitness;
    std::string arm64 = dllImage(kComponentNames, true);
    put16(arm64, kPe + 4, 0xAA64);
    std::string wideButX86 = dllImage(kComponentNames, true);   // the field decides
    put16(wideButX86, kPe + 4, 0x14C);
    std::string itanium = dllImage(kComponentNames);
    put16(itanium, kPe + 4, 0x200);
    std::string noPe = dllImage(kComponentNames);
    noPe[kPe] = 'X';
    const struct {
        std::string image;
        PeBitness bitness;
    } rows[] = {
        {dllImage(kComponentNames), PeBitness::Bits32}, {dllImage(kComponentNames, true), PeBitness::Bits64},
        {arm64, PeBitness::Bits64},                     {wideButX86, PeBitness::Bits32},
        {itanium, PeBitness::Unknown},                  {noPe, PeBitness::Unknown},
        {std::string(), PeBitness::Unknown},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.bitness, ks::peBitness(ks::MemoryBytes(row.image)));
    EXPECT_EQ(PeBitness::Unknown, ks::peBitness(FailingBytes()));
}
