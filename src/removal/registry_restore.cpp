// Checking and writing back the registry exports of a backup.
#include "removal/registry_restore.h"

#include "platform/handles.h"
#include "platform/hives.h"
#include "platform/registry_walk.h"

#include <windows.h>

namespace kestrune {

namespace {

std::wstring wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::u16string decodeAnsi(const std::string& bytes)
{
    const std::wstring text = widenAnsi(bytes);
    return std::u16string(text.begin(), text.end());
}

bool sameWide(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && foldedKeyText(a) == foldedKeyText(b);
}

bool atOrBelow(const std::wstring& key, const std::wstring& top)
{
    if (key.size() < top.size() || !sameWide(key.substr(0, top.size()), top))
        return false;
    return key.size() == top.size() || key[top.size()] == L'\\';
}

// "HIVE\sub\key" split at its first backslash.
void splitKey(const std::wstring& key, std::string& hive, std::wstring& sub)
{
    const std::wstring::size_type slash = key.find(L'\\');
    hive = narrowAnsi(key.substr(0, slash));
    sub = slash == std::wstring::npos ? std::wstring() : key.substr(slash + 1);
}

// Opens or creates `key` without a link and writes `values` into it.
// `value`: the value record's name (its key may be protected), or nullptr for
// a key record.
bool writeKey(const std::wstring& keyPath, const std::vector<const RegExportValue*>& values,
              const std::string* value, REGSAM view, const ProtectedPlaces& places,
              std::string& reason)
{
    std::string hive;
    std::wstring sub;
    splitKey(keyPath, hive, sub);
    HKEY root = hiveFromName(hive);
    if (root == nullptr || sub.empty()) {
        reason = "no key of a hive: " + narrowAnsi(keyPath);
        return false;
    }
    RegistryKey key;
    const KeyOpening opening = createKeyWithoutLinks(root, sub, KEY_SET_VALUE, key, view);
    if (opening.walk == KeyWalk::Link || opening.walk == KeyWalk::ThroughLink) {
        reason = "it is reached through a registry link: " + hive + "\\" + opening.linkPath;
        return false;
    }
    if (opening.walk != KeyWalk::Opened) {
        reason = "its key cannot be created (error " + std::to_string(opening.code) +
                 "): " + narrowAnsi(keyPath);
        return false;
    }
    std::string realHive;
    std::string real;
    if (keyRealName(key.get(), realHive, real) &&
        (value == nullptr ? places.isProtectedKey(realHive, real)
                          : places.isProtectedValue(realHive, real, *value))) {
        reason = "its key is a protected place: " + realHive + "\\" + real;
        return false;
    }
    for (const RegExportValue* one : values) {
        const std::wstring name = wide(one->name);
        const LONG code =
            RegSetValueExW(key.get(), name.c_str(), 0, one->type,
                           reinterpret_cast<const BYTE*>(one->data.data()),
                           static_cast<DWORD>(one->data.size()));
        if (code != ERROR_SUCCESS) {
            reason = "a value cannot be written (error " + std::to_string(code) + "): " +
                     narrowAnsi(keyPath) + "\\" + narrowAnsi(name);
            return false;
        }
    }
    return true;
}

}  // namespace

std::string checkRegistryExport(const BackupItem& item, const std::string& bytes,
                                const ProtectedPlaces& places, RegExport& parsed)
{
    std::string fault;
    if (!readRegExport(bytes, decodeAnsi, parsed, fault))
        return "not a registry export as regedit reads it: " + item.entry + ": " + fault;
    if (parsed.keys.empty())
        return "a registry export without a key: " + item.entry;
    const std::wstring top = widenAnsi(item.key);
    for (const RegExportKey& key : parsed.keys) {
        const std::wstring path = wide(key.path);
        if (!atOrBelow(path, top))
            return "a registry export reaches outside " + item.key + ": " + narrowAnsi(path);
        if (item.kind != ItemKind::RegistryKey)
            continue;
        std::string hive;
        std::wstring sub;
        splitKey(path, hive, sub);
        if (places.isProtectedKey(hive, narrowAnsi(sub)))
            return "a registry export names a protected key: " + narrowAnsi(path);
        for (const RegExportValue& value : key.values) {
            if (places.isProtectedValue(hive, narrowAnsi(sub), narrowAnsi(wide(value.name))))
                return "a registry export names a protected value: " + narrowAnsi(path) + "\\" +
                       narrowAnsi(wide(value.name));
        }
    }
    return std::string();
}

bool restoreRegistryExport(const BackupItem& item, const RegExport& parsed,
                           const ProtectedPlaces& places, std::string& reason)
{
    if (item.kind == ItemKind::RegistryValue) {
        const std::wstring key = widenAnsi(item.key);
        const std::wstring name = widenAnsi(item.value);
        // A later line for the same value wins, as in regedit.
        const RegExportValue* found = nullptr;
        for (const RegExportKey& exported : parsed.keys) {
            if (!sameWide(wide(exported.path), key))
                continue;
            for (const RegExportValue& value : exported.values) {
                if (sameWide(wide(value.name), name))
                    found = &value;
            }
        }
        if (found == nullptr) {
            reason = "the export does not hold the value";
            return false;
        }
        return writeKey(key, {found}, &item.value, item.view, places, reason);
    }
    for (const RegExportKey& exported : parsed.keys) {
        std::vector<const RegExportValue*> values;
        for (const RegExportValue& value : exported.values)
            values.push_back(&value);
        if (!writeKey(wide(exported.path), values, nullptr, item.view, places, reason))
            return false;
    }
    return true;
}

}  // namespace kestrune
