// JSON documents of the console tool, built with nlohmann/json (ordered, so
// the keys keep the order written here).
#include "json_output.h"

#include "cli.h"

#include "definitions/parasite.h"
#include "product.h"

#include <nlohmann/json.hpp>
#include <windows.h>

namespace kestrune {
namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// An ANSI text as UTF-8; the text as it is when the system cannot convert it
// (dump() then replaces what is not UTF-8).
std::string utf8(const std::string& ansi)
{
    bool plain = true;
    for (unsigned char c : ansi)
        plain = plain && c < 0x80;
    if (plain)
        return ansi;
    const int size = static_cast<int>(ansi.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (wide <= 0)
        return ansi;
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, &w[0], wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return ansi;
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

// Never throws: what is not UTF-8 becomes U+FFFD.
std::string dumped(const Json& json, int indent)
{
    return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

template <typename Item, typename Write>
Json array(const OwnedList<Item>& items, Write write)
{
    Json out = Json::array();
    for (const auto& item : items)
        out.push_back(write(*item));
    return out;
}

template <typename Item>
Json pathItem(const Item& item)
{
    return Json{{"name", utf8(item.name)}, {"path", utf8(item.path)}};
}

template <typename Item>
Json registryItem(const Item& item)
{
    return Json{{"main", utf8(item.main)}, {"sub", utf8(item.sub)}, {"value", utf8(item.value)}};
}

std::string parasiteName(const ParasiteList& parasites, int index)
{
    const Parasite* parasite = parasites.at(index);
    return parasite ? utf8(parasite->name) : std::string();
}

Json findJson(const ParasiteList& parasites, const Find& find)
{
    const Parasite* parasite = parasites.at(find.parasiteIndex);
    return Json{{"parasite", parasiteName(parasites, find.parasiteIndex)},
                {"kind", typeWord(find.kind)},
                {"location", utf8(find.location)},
                {"danger", parasite ? dangerName(parasite->dangerLevel) : std::string()}};
}

Json stringArray(const std::vector<std::string>& texts)
{
    Json out = Json::array();
    for (const std::string& text : texts)
        out.push_back(utf8(text));
    return out;
}

Json scanFields(const ParasiteList& parasites, const ScanRecord& scan)
{
    Json finds = Json::array();
    for (const Find& find : scan.finds)
        finds.push_back(findJson(parasites, find));
    Json skipped = Json::array();
    for (const Find& find : scan.skipped) {
        Json entry = findJson(parasites, find);
        entry.erase("danger");
        entry["reason"] = skippedForItsText(parasites, find) ? "refused" : "protected";
        skipped.push_back(entry);
    }
    Json out{{"tool", "kestrune-cli"},
             {"version", KESTRUNE_VERSION},
             {"definitions", {{"file", utf8(scan.definitionsFile)},
                              {"from", scan.definitionsFrom},
                              {"parasites", scan.parasiteCount}}},
             {"folder", scan.folder.empty() ? Json() : Json(utf8(scan.folder))},
             {"started", scan.started},
             {"ended", scan.ended},
             {"failure", scan.failure.empty() ? Json() : Json(scan.failure)},
             {"itemsScanned", scan.itemsScanned},
             {"finds", finds},
             {"protected", skipped},
             {"unreadable", stringArray(scan.unreadable)},
             {"ignored", scan.ignored}};
    return out;
}

}  // namespace

std::string parasitesToJson(const ParasiteList& list)
{
    Json parasites = Json::array();
    for (int i = 0; i < list.count(); ++i) {
        const Parasite& p = *list.at(i);
        parasites.push_back(Json{
            {"name", utf8(p.name)},
            {"status", utf8(p.status)},
            {"dangerLevel", p.dangerLevel},
            {"description", utf8(p.description)},
            {"directories", array(p.directories, pathItem<DirectoryItem>)},
            {"files", array(p.files, pathItem<FileItem>)},
            {"cookies", array(p.cookies, [](const CookieItem& c) { return Json{{"name", utf8(c.name)}}; })},
            {"registryKeys", array(p.registryKeys, registryItem<RegistryKeyItem>)},
            {"registryValues", array(p.registryValues, registryItem<RegistryValueItem>)},
        });
    }
    return dumped(Json{{"parasites", parasites}}, -1);
}

std::string scanJson(const ParasiteList& parasites, const ScanRecord& scan, int exitCode)
{
    Json out = scanFields(parasites, scan);
    out["exitCode"] = exitCode;
    return dumped(out, 2) + "\n";
}

std::string cleanJson(const ParasiteList& parasites, const ScanRecord& scan,
                      const CleanRecord& clean, int exitCode)
{
    Json out = scanFields(parasites, scan);
    Json backup;   // null without --backup
    if (clean.backupAsked)
        backup = Json{{"archive", clean.archive.empty() ? Json() : Json(utf8(clean.archive))},
                      {"complete", clean.backupComplete},
                      {"pruned", stringArray(clean.pruned)}};
    Json outcomes = Json::array();
    for (const CleanItem& item : clean.items) {
        Json outcome{{"parasite", utf8(item.parasite)},
                     {"kind", typeWord(item.kind)},
                     {"location", utf8(item.location)},
                     {"result", item.result}};
        if (!item.ignoredInside.empty())
            outcome["holdsIgnored"] = utf8(item.ignoredInside);
        outcomes.push_back(outcome);
    }
    out["backup"] = backup;
    out["outcomes"] = outcomes;
    out["kept"] = stringArray(clean.kept);
    out["log"] = clean.log.empty() ? Json() : Json(utf8(clean.log));
    out["exitCode"] = exitCode;
    return dumped(out, 2) + "\n";
}

}  // namespace cli
}  // namespace kestrune
