// The hive table and its lookups.
#include "platform/hives.h"

#include "platform/text_compare.h"

namespace kestrune {

const HiveRow kHiveTable[kHiveCount] = {
    {kHiveNames[0], HKEY_CLASSES_ROOT},
    {kHiveNames[1], HKEY_CURRENT_USER},
    {kHiveNames[2], HKEY_LOCAL_MACHINE},
    {kHiveNames[3], HKEY_USERS},
    {kHiveNames[4], HKEY_CURRENT_CONFIG},
};

HKEY hiveFromName(const std::string& name)
{
    for (const HiveRow& row : kHiveTable) {
        if (sameText(name, row.name))
            return row.root;
    }
    return nullptr;
}

std::string hiveName(HKEY root)
{
    for (const HiveRow& row : kHiveTable) {
        if (row.root == root)
            return row.name;
    }
    return std::string();
}

}  // namespace kestrune
