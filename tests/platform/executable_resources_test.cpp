// The version information and the manifest built into Kestrune.exe and
// kestrune-cli.exe (both copied next to this program), and the event texts
// of Kestrune.exe's message table.
#include "kestrune_events.h"
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
        EXPECT_NE(std::string::npos, manifest.find("WindowsSettings\">UTF-8</activeCodePage>"));
    }
}

// What the Event Viewer shows for each id: the text read back from
// Kestrune.exe, the source's EventMessageFile, with the event's texts put in.
TEST(ExecutableResources, KestruneExeHoldsTheTextOfEveryEvent)
{
    HMODULE module =
        LoadLibraryExA((ks::programFolder() + "Kestrune.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    const struct {
        DWORD id;
        const char* text;
    } events[] = {
        {KESTRUNE_EVENT_SCAN, "Kestrune scan %1 (%2): %3 finds, %4 items scanned, %5 could not be read, "
                              "%6 protected items passed over, %7 finds ignored, %8 seconds."},
        {KESTRUNE_EVENT_REMOVAL, "Kestrune removal: %1 removed, %2 to be removed at the next restart, "
                                 "%3 failed, %4 refused. Backup archive: %5."},
        {KESTRUNE_EVENT_RESTORE, "Kestrune restore from %1: %2 restored, %3 left as a different file "
                                 "was in place, %4 failed."},
        {KESTRUNE_EVENT_RESTORE_REFUSED, "Kestrune refused to restore from %1: %2."},
        {KESTRUNE_EVENT_UPDATE_INSTALLED, "Kestrune installed the reference file %1."},
        {KESTRUNE_EVENT_UPDATE_REFUSED, "Kestrune did not install the update of %1: %2."},
        {KESTRUNE_EVENT_UNEXPECTED_ERROR, "Kestrune stopped an unexpected error in %1: %2."},
    };
    const char* inserts[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (const auto& event : events) {
        SCOPED_TRACE(event.id);
        char* text = nullptr;
        const DWORD length = FormatMessageA(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
            module, event.id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<char*>(&text),
            0, reinterpret_cast<va_list*>(const_cast<char**>(inserts)));
        ASSERT_NE(0u, length) << GetLastError();
        std::string shown(text, length);
        LocalFree(text);
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r'))
            shown.pop_back();
        std::string expected = event.text;
        for (size_t at = expected.find('%'); at != std::string::npos; at = expected.find('%', at))
            expected.erase(at, 1);
        EXPECT_EQ(expected, shown);
    }
    FreeLibrary(module);
}
