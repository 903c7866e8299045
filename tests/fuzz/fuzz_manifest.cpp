// Manifest.ini: what parses names only the views there are, and parses the
// same when it comes twice, each record starting afresh.
#include "fuzz_readers.h"

#include "removal/backup_manifest.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace kestrune {

namespace {

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
    std::vector<BackupItem> twice;
    if (!parseBackupManifest(text + text, twice) || twice.size() != 2 * items.size())
        std::abort();
    for (size_t i = 0; i < items.size(); ++i) {
        const unsigned long view = items[i].view;
        if (!same(items[i], twice[i]) || !same(items[i], twice[items.size() + i]) ||
            (view != 0 && view != kManifestView64 && view != kManifestView32))
            std::abort();
    }
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzManifestOnce)
