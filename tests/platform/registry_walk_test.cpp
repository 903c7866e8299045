// The real names of keys: the kernel's names mapped back to the hive table,
// and the names the system gives keys opened through the predefined roots.
// (The link-safe walks are tested where they act: the removal and restore
// tests.)
#include "platform/registry_walk.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

TEST(RegistryWalk, KernelNamesMapBackToTheHiveTheProtectedKeysKnow)
{
    const std::wstring sid = L"S-1-5-21-1-2-3-1000";
    const struct {
        const wchar_t* kernel;
        const wchar_t* hive;   // nullptr: no hive
        const wchar_t* path;
    } rows[] = {
        {L"\\REGISTRY\\MACHINE\\SOFTWARE\\Microsoft", L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\Microsoft"},
        {L"\\Registry\\Machine\\Software\\Wow6432Node\\Microsoft\\Windows", L"HKEY_LOCAL_MACHINE",
         L"Software\\Microsoft\\Windows"},
        {L"\\REGISTRY\\MACHINE\\Software\\Classes\\txtfile", L"HKEY_CLASSES_ROOT", L"txtfile"},
        {L"\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Classes\\CLSID", L"HKEY_CLASSES_ROOT",
         L"CLSID"},
        {L"\\REGISTRY\\MACHINE\\Software\\ClassesX", L"HKEY_LOCAL_MACHINE", L"Software\\ClassesX"},
        {L"\\REGISTRY\\USER\\S-1-5-21-1-2-3-1000\\Software\\X", L"HKEY_CURRENT_USER", L"Software\\X"},
        {L"\\REGISTRY\\USER\\s-1-5-21-1-2-3-1000", L"HKEY_CURRENT_USER", L""},
        {L"\\REGISTRY\\USER\\S-1-5-21-1-2-3-1000\\Software\\Classes\\x", L"HKEY_CLASSES_ROOT", L"x"},
        {L"\\REGISTRY\\USER\\S-1-5-21-1-2-3-1000_Classes\\CLSID", L"HKEY_CLASSES_ROOT", L"CLSID"},
        {L"\\REGISTRY\\USER\\S-1-5-18\\Software", L"HKEY_USERS", L"S-1-5-18\\Software"},
        {L"\\REGISTRY\\USER\\.DEFAULT", L"HKEY_USERS", L".DEFAULT"},
        {L"\\REGISTRY\\MACHINEX\\Software", nullptr, nullptr},
        {L"\\REGISTRY\\USER", nullptr, nullptr},
        {L"", nullptr, nullptr},
    };
    for (const auto& row : rows) {
        std::wstring hive;
        std::wstring path;
        const bool mapped = ks::mapKernelKeyName(row.kernel, sid, hive, path);
        const std::string shown = ks::narrowAnsi(row.kernel);
        ASSERT_EQ(row.hive != nullptr, mapped) << shown;
        if (mapped) {
            EXPECT_EQ(row.hive, hive) << shown;
            EXPECT_EQ(row.path, path) << shown;
        }
    }
}

TEST(RegistryWalk, KeysOpenedThroughThePredefinedRootsHaveTheirRealNames)
{
    const struct {
        HKEY root;
        const char* path;
        const char* hive;
        const char* real;
    } rows[] = {
        {HKEY_CURRENT_USER, "Software", "HKEY_CURRENT_USER", "Software"},
        {HKEY_CLASSES_ROOT, "txtfile", "HKEY_CLASSES_ROOT", "txtfile"},
        {HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile", "HKEY_CLASSES_ROOT", "txtfile"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft", "HKEY_LOCAL_MACHINE", "Software\\Microsoft"},
    };
    for (const auto& row : rows) {
        ks::RegistryKey key;
        ASSERT_EQ(ks::KeyWalk::Opened, ks::openKeyWithoutLinks(row.root, std::string(row.path), 0,
                                                               key).walk)
            << row.path;
        std::string hive;
        std::string real;
        ASSERT_TRUE(ks::keyRealName(key.get(), hive, real)) << row.path;
        EXPECT_EQ(row.hive, hive) << row.path;
        EXPECT_TRUE(_stricmp(row.real, real.c_str()) == 0) << row.path << " -> " << real;
    }
}
