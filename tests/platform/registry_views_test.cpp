// The names of the 32-bit copies of redirected keys.
#include "platform/registry_views.h"

#include <gtest/gtest.h>

namespace ks = kestrune;

TEST(RegistryViews, RedirectedKeysHaveTheir32BitCopyUnderWow6432Node)
{
    const struct {
        const char* hive;
        const char* path;
        const char* copy;   // "": one key in both views
    } rows[] = {
        // HKEY_LOCAL_MACHINE\Software is redirected...
        {"HKEY_LOCAL_MACHINE", "Software\\Acme\\Bar", "Software\\Wow6432Node\\Acme\\Bar"},
        {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
         "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
        // ... but for its shared keys, formerly reflected ones (Ole, COM3,
        // EventSystem) among them,
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Ole", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\COM3\\Setup", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\EventSystem", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Clients\\StartMenuInternet", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Policies\\Acme", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Olex",
         "Software\\Wow6432Node\\Microsoft\\Olex"},
        // and the classes, shared but for their CLSID, Interface, ... trees.
        {"HKEY_LOCAL_MACHINE", "Software\\Classes\\txtfile", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Classes\\CLSID\\{1}",
         "Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
        {"HKEY_CLASSES_ROOT", "clsid\\{1}\\InprocServer32", "Wow6432Node\\clsid\\{1}\\InprocServer32"},
        {"HKEY_CLASSES_ROOT", "Interface\\{2}", "Wow6432Node\\Interface\\{2}"},
        {"HKEY_CLASSES_ROOT", "Media Type\\x", "Wow6432Node\\Media Type\\x"},
        {"HKEY_CLASSES_ROOT", "AppID\\{3}", ""},
        {"HKEY_CLASSES_ROOT", "TypeLib\\{4}", ""},
        {"HKEY_CURRENT_USER", "Software\\Classes\\CLSID\\{1}",
         "Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
        {"HKEY_USERS", "S-1-5-21-1\\Software\\Classes\\DirectShow\\y",
         "S-1-5-21-1\\Software\\Classes\\Wow6432Node\\DirectShow\\y"},
        {"HKEY_USERS", "S-1-5-21-1_Classes\\MediaFoundation\\z",
         "S-1-5-21-1_Classes\\Wow6432Node\\MediaFoundation\\z"},
        // A user's Software is one key; so is anything naming a view already.
        {"HKEY_CURRENT_USER", "Software\\Acme", ""},
        {"HKEY_LOCAL_MACHINE", "Software\\Wow6432Node\\Acme", ""},
        {"HKEY_CLASSES_ROOT", "Wow6432Node\\CLSID\\{1}", ""},
        {"HKEY_LOCAL_MACHINE", "System\\CurrentControlSet\\Services\\x", ""},
        {"HKEY_LOCAL_MACHINE", "Software", ""},
        {"HKEY_CURRENT_CONFIG", "Software\\Acme", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.copy, ks::wow64RedirectedPath(row.hive, row.path))
            << row.hive << "\\" << row.path;
}
