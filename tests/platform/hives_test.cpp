// The hive table: names to root keys and back.
#include "platform/hives.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

TEST(HiveTable, NamesMatchAsWholeStringsInAnyCase)
{
    const struct {
        const char* name;
        HKEY root;
    } cases[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"hkey_current_user", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"hkey_local_machine", HKEY_LOCAL_MACHINE},
        {"Hkey_Users", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKLM", nullptr},
        {"HKCU", nullptr},
        {"HKEY_USERS ", nullptr},
        {" HKEY_USERS", nullptr},
        {"HKEY_USER", nullptr},
        {"", nullptr},
        {"HKEY_DYN_DATA", nullptr},
        {"HKEY_PERFORMANCE_DATA", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.root, ks::hiveFromName(c.name)) << "\"" << c.name << "\"";
    EXPECT_EQ("HKEY_USERS", ks::hiveName(HKEY_USERS));
    EXPECT_EQ("", ks::hiveName(HKEY_PERFORMANCE_DATA));
}
