// The ignore list's values in the registry and the set a scan looks up.
#include "settings/ignore_list.h"

#include "platform/handles.h"
#include "platform/text_compare.h"
#include "settings/ignore_entry.h"
#include "settings/settings_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace kestrune {

const char kIgnoreKeyPath[] = "SOFTWARE\\Kestrune\\Ignore";

namespace {

// Collisions of the 64-bit name are not expected; this bounds the probing.
const int kMaxNameProbes = 64;

int kindIndex(ItemKind kind) { return static_cast<int>(kind); }

// False for data that is not an entry.
bool decodedEntry(const std::string& data, IgnoreEntry& entry)
{
    std::string kindWord;
    return readIgnoreEntryText(data, kindWord, entry) && kindFromTypeWord(kindWord, entry.kind) &&
           !entry.location.empty();
}

// The value name of an entry: FNV-1a of the kind word and the folded
// location, as 16 hex digits.
std::string valueNameOf(ItemKind kind, const std::string& location)
{
    const std::string key = std::string(typeWord(kind)) + "\t" + foldedText(location);
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                  static_cast<unsigned long>(hash & 0xffffffffu));
    return name;
}

bool sameEntry(const IgnoreEntry& entry, ItemKind kind, const std::string& location)
{
    return entry.kind == kind && sameText(entry.location, location);
}

// Reads a REG_SZ value of any length; false when missing or of another type.
bool readString(HKEY key, const std::string& name, std::string& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                         &size) != ERROR_SUCCESS)
        return false;
    text = data.c_str();   // ends at the first zero, a stored terminator included
    return true;
}

struct StoredEntry {
    std::string valueName;
    IgnoreEntry entry;
};

// Every entry of an open key, in enumeration order.
std::vector<StoredEntry> storedEntries(HKEY key)
{
    std::vector<StoredEntry> result;
    DWORD nameLength = 0;
    DWORD dataLength = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameLength, &dataLength, nullptr, nullptr) != ERROR_SUCCESS)
        return result;
    std::string name(nameLength + 2, '\0');
    std::string data(dataLength + 2, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = 0;
        DWORD dataSize = 0;
        DWORD type = 0;
        LONG status = ERROR_MORE_DATA;
        // The key's lengths count UTF-16 characters and bytes; a UTF-8 text
        // can be longer. The entry is read again with more room, never
        // passed over.
        for (int round = 0; status == ERROR_MORE_DATA && round < 4; ++round) {
            if (round > 0) {
                name.resize(name.size() * 2);
                data.resize(data.size() * 2);
            }
            nameSize = static_cast<DWORD>(name.size());
            dataSize = static_cast<DWORD>(data.size() - 1);
            status = RegEnumValueA(key, index, &name[0], &nameSize, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&data[0]), &dataSize);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataSize] = '\0';
        StoredEntry stored;
        if (decodedEntry(data.c_str(), stored.entry)) {
            stored.valueName.assign(name.c_str(), nameSize);
            result.push_back(std::move(stored));
        }
    }
    return result;
}

}  // namespace

bool kindFromTypeWord(const std::string& word, ItemKind& kind)
{
    for (ItemKind k : kItemKinds) {
        if (sameText(word, typeWord(k))) {
            kind = k;
            return true;
        }
    }
    return false;
}

std::string ignoreDateNow()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return text;
}

bool ensureSettingsWritten()
{
    return !settingsMissing() || createDefaultSettings();
}

std::vector<IgnoreEntry> loadIgnoreEntries()
{
    std::vector<IgnoreEntry> entries;
    RegistryKey key;
    if (key.open(HKEY_CURRENT_USER, kIgnoreKeyPath, KEY_READ) != ERROR_SUCCESS)
        return entries;
    for (StoredEntry& stored : storedEntries(key.get()))
        entries.push_back(std::move(stored.entry));
    std::sort(entries.begin(), entries.end(), [](const IgnoreEntry& a, const IgnoreEntry& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return foldedText(a.location) < foldedText(b.location);
    });
    return entries;
}

IgnoreAdd addIgnoreEntry(const IgnoreEntry& entry)
{
    if (entry.location.empty() || !ensureSettingsWritten())
        return IgnoreAdd::Failed;
    RegistryKey key;
    if (key.create(HKEY_CURRENT_USER, kIgnoreKeyPath) != ERROR_SUCCESS)
        return IgnoreAdd::Failed;
    IgnoreEntry stored = entry;
    if (stored.added.empty())
        stored.added = ignoreDateNow();
    const std::string base = valueNameOf(entry.kind, entry.location);
    for (int probe = 1; probe <= kMaxNameProbes; ++probe) {
        const std::string name = probe == 1 ? base : base + "-" + std::to_string(probe);
        std::string data;
        if (!readString(key.get(), name, data))
            return writeStringValue(key.get(), name, ignoreEntryText(stored))
                       ? IgnoreAdd::Added
                       : IgnoreAdd::Failed;
        IgnoreEntry existing;
        if (decodedEntry(data, existing) && sameEntry(existing, entry.kind, entry.location))
            return IgnoreAdd::AlreadyListed;
    }
    return IgnoreAdd::Failed;
}

int removeIgnoreEntries(ItemKind kind, const std::string& location)
{
    RegistryKey key;
    if (key.open(HKEY_CURRENT_USER, kIgnoreKeyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        return 0;
    int removed = 0;
    // Collected first: deleting while enumerating would skip values.
    for (const StoredEntry& stored : storedEntries(key.get())) {
        if (sameEntry(stored.entry, kind, location) &&
            RegDeleteValueA(key.get(), stored.valueName.c_str()) == ERROR_SUCCESS)
            ++removed;
    }
    return removed;
}

IgnoreSet::IgnoreSet(const std::vector<IgnoreEntry>& entries)
{
    for (const IgnoreEntry& entry : entries)
        add(entry.kind, entry.location);
}

IgnoreSet IgnoreSet::load()
{
    return IgnoreSet(loadIgnoreEntries());
}

void IgnoreSet::add(ItemKind kind, const std::string& location)
{
    locations_[kindIndex(kind)].emplace(foldedText(location), location);
}

const IgnoreSet::Locations& IgnoreSet::of(ItemKind kind) const
{
    return locations_[kindIndex(kind)];
}

bool IgnoreSet::contains(ItemKind kind, const std::string& location) const
{
    const Locations& locations = of(kind);
    return !locations.empty() && locations.count(foldedText(location)) > 0;
}

bool IgnoreSet::empty() const
{
    for (const Locations& locations : locations_) {
        if (!locations.empty())
            return false;
    }
    return true;
}

bool IgnoreSet::holdsExactly(ItemKind kind, const std::string& folded, std::string* which) const
{
    const auto at = of(kind).find(folded);
    if (at == of(kind).end())
        return false;
    if (which != nullptr)
        *which = at->second;
    return true;
}

bool IgnoreSet::holdsPrefix(ItemKind kind, const std::string& prefix, std::string* which) const
{
    const Locations& locations = of(kind);
    const auto at = locations.lower_bound(prefix);
    if (at == locations.end() || at->first.compare(0, prefix.size(), prefix) != 0)
        return false;
    if (which != nullptr)
        *which = at->second;
    return true;
}

bool IgnoreSet::holdsBelowFolder(const std::string& folder, std::string* which) const
{
    if (folder.empty())
        return false;
    const std::string self = foldedText(folder);
    const std::string below = self.back() == '\\' ? self : self + "\\";
    for (ItemKind kind : {ItemKind::File, ItemKind::Folder}) {
        if (holdsExactly(kind, self, which) || holdsPrefix(kind, below, which))
            return true;
    }
    return false;
}

bool IgnoreSet::holdsBelowKey(const std::string& key, std::string* which) const
{
    if (key.empty())
        return false;
    const std::string self = foldedText(key);
    return holdsExactly(ItemKind::RegistryKey, self, which) ||
           holdsPrefix(ItemKind::RegistryKey, self + "\\", which) ||
           holdsPrefix(ItemKind::RegistryValue, self + " : ", which) ||
           holdsPrefix(ItemKind::RegistryValue, self + "\\", which);
}

}  // namespace kestrune
