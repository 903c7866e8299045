// Reading Manifest.ini's text into its records.
#include "removal/backup_manifest.h"

#include "platform/item_kinds.h"

#include <cstdlib>

namespace kestrune {

namespace {

// The text of a "[NAME:text]" line; false for another name.
bool lineField(const std::string& line, const char* name, std::string& text)
{
    const std::string head = std::string("[") + name + ":";
    if (line.compare(0, head.size(), head) != 0 || line.empty() || line.back() != ']')
        return false;
    text = line.substr(head.size(), line.size() - head.size() - 1);
    return true;
}

}  // namespace

bool parseBackupManifest(const std::string& text, std::vector<BackupItem>& items)
{
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find("\r\n", start);
        if (end == std::string::npos)
            return false;
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        std::string field;
        if (lineField(line, "TYPE", field)) {
            BackupItem item;
            if (!kindFromWord(field, KindWord::Record, item.kind))
                return false;
            items.push_back(item);
            continue;
        }
        if (items.empty())
            return false;
        BackupItem& item = items.back();
        if (lineField(line, "ENTRY", field)) {
            item.entry = field;
        } else if (lineField(line, "KEY", field)) {
            item.key = field;
        } else if (lineField(line, "VALUE", field)) {
            item.value = field;
        } else if (lineField(line, "VIEW", field)) {
            if (field != "64" && field != "32")
                return false;
            item.view = field == "64" ? kManifestView64 : kManifestView32;
        } else if (lineField(line, "PATH", field)) {
            item.path = field;
        } else if (lineField(line, "ATTRIBUTES", field)) {
            item.attributes = std::strtoul(field.c_str(), nullptr, 16);
        } else if (lineField(line, "INSIDE", field)) {
            std::string::size_type colon = field.find(':');
            if (colon == std::string::npos)
                return false;
            item.inside[field.substr(colon + 1)] =
                std::strtoul(field.substr(0, colon).c_str(), nullptr, 16);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace kestrune
