// Manifest.ini: whatever parses is written back as the backup writes it and
// parses to the same records.
#include "fuzz_readers.h"

#include "removal/backup_manifest.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kestrune {

namespace {

const char* typeText(BackupItemKind kind)
{
    switch (kind) {
    case BackupItemKind::Key:
        return "REGKEY";
    case BackupItemKind::Value:
        return "REGVALUE";
    case BackupItemKind::Folder:
        return "DIRECTORY";
    case BackupItemKind::Cookie:
        return "COOKIE";
    case BackupItemKind::File:
        break;
    }
    return "FILE";
}

std::string hex(unsigned long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%lx", value);
    return text;
}

std::string written(const std::vector<BackupItem>& items)
{
    std::string text;
    for (const BackupItem& item : items) {
        text += std::string("[TYPE:") + typeText(item.kind) + "]\r\n[ENTRY:" + item.entry +
                "]\r\n[KEY:" + item.key + "]\r\n[VALUE:" + item.value + "]\r\n[PATH:" +
                item.path + "]\r\n[ATTRIBUTES:" + hex(item.attributes) + "]\r\n";
        if (item.view != 0)
            text += item.view == kManifestView64 ? "[VIEW:64]\r\n" : "[VIEW:32]\r\n";
        for (const auto& inside : item.inside)
            text += "[INSIDE:" + hex(inside.second) + ":" + inside.first + "]\r\n";
    }
    return text;
}

bool same(const BackupItem& a, const BackupItem& b)
{
    return a.kind == b.kind && a.entry == b.entry && a.key == b.key && a.value == b.value &&
           a.view == b.view && a.path == b.path && a.attributes == b.attributes &&
           a.inside == b.inside;
}

}  // namespace

void fuzzManifestOnce(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<BackupItem> items;
    if (!parseBackupManifest(text, items))
        return;
    std::vector<BackupItem> again;
    if (!parseBackupManifest(written(items), again) || again.size() != items.size())
        std::abort();
    for (size_t i = 0; i < items.size(); ++i) {
        const unsigned long view = items[i].view;
        if (!same(items[i], again[i]) ||
            (view != 0 && view != kManifestView64 && view != kManifestView32))
            std::abort();
    }
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzManifestOnce)
