// The version information and the manifest built into Kestrune.exe and
// kestrune-cli.exe (both copied next to this program).
#include "product.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace ks = kestrune;

namespace {

const char* const kExecutables[] = {"Kestrune.exe", "kestrune-cli.exe"};

struct VersionInfo {
    bool read = false;
    DWORD fileVersionMS = 0, fileVersionLS = 0;
    DWORD productVersionMS = 0, productVersionLS = 0;
    std::string fileVersion, productName, companyName, originalFilename;
};

std::string stringValue(std::vector<char>& block, const char* name)
{
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return "<missing>";
    return std::string(text, length > 0 ? length - 1 : 0);
}

VersionInfo readVersionInfo(const std::string& file)
{
    VersionInfo info;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return info;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        return info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return info;
    info.read = true;
    info.fileVersionMS = fixed->dwFileVersionMS;
    info.fileVersionLS = fixed->dwFileVersionLS;
    info.productVersionMS = fixed->dwProductVersionMS;
    info.productVersionLS = fixed->dwProductVersionLS;
    info.fileVersion = stringValue(block, "FileVersion");
    info.productName = stringValue(block, "ProductName");
    info.companyName = stringValue(block, "CompanyName");
    info.originalFilename = stringValue(block, "OriginalFilename");
    return info;
}

// The text of resource 1 of type RT_MANIFEST, or "" when there is none.
std::string manifestText(const std::string& file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        HGLOBAL loaded = LoadResource(module, found);
        const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (bytes)
            text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

}  // namespace

TEST(ExecutableResources, BothProgramsCarryTheVersion)
{
    for (const char* name : kExecutables) {
        SCOPED_TRACE(name);
        const VersionInfo info = readVersionInfo(ks::programFolder() + name);
        ASSERT_TRUE(info.read);
        EXPECT_EQ(MAKELONG(1, 2), info.fileVersionMS);  // 2.1
        EXPECT_EQ(0u, info.fileVersionLS);              // .0.0
        EXPECT_EQ(info.fileVersionMS, info.productVersionMS);
        EXPECT_EQ(info.fileVersionLS, info.productVersionLS);
        EXPECT_EQ("2.01", info.fileVersion);
        EXPECT_EQ(KESTRUNE_VERSION, info.fileVersion);
        EXPECT_EQ("Kestrune", info.productName);
        EXPECT_EQ("Kestrune", info.companyName);
        EXPECT_EQ(name, info.originalFilename);
    }
}

TEST(ExecutableResources, BothProgramsRunAsInvokerWithoutCommonControls6)
{
    for (const char* name : kExecutables) {
        SCOPED_TRACE(name);
        const std::string manifest = manifestText(ks::programFolder() + name);
        EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << manifest;
        EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
        EXPECT_EQ(std::string::npos, manifest.find("dpiAware"));
    }
}
