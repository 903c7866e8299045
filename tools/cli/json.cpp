// JSON output of the console tool: escaping, ANSI to UTF-8, the dump shape.
#include "json.h"

#include <windows.h>

#include <cstdio>

namespace kestrune {
namespace cli {

namespace {

std::string ansiToUtf8(const std::string& ansi)
{
    bool plain = true;
    for (unsigned char c : ansi)
        plain = plain && c < 0x80;
    if (plain || ansi.empty())
        return ansi;
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (wide <= 0)
        return ansi;
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &w[0], wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return ansi;
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string field(const char* key, const std::string& value)
{
    return std::string("\"") + key + "\":" + jsonString(value);
}

template <typename Item, typename Write>
std::string array(const char* key, const OwnedList<Item>& items, Write write)
{
    std::string out = std::string("\"") + key + "\":[";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        out += '{' + write(*items[i]) + '}';
    }
    return out + ']';
}

template <typename Item>
std::string pathItem(const Item& item)
{
    return field("name", item.name) + ',' + field("path", item.path);
}

template <typename Item>
std::string registryItem(const Item& item)
{
    return field("main", item.main) + ',' + field("sub", item.sub) + ',' + field("value", item.value);
}

}  // namespace

std::string jsonString(const std::string& ansi)
{
    std::string out = "\"";
    for (unsigned char c : ansiToUtf8(ansi)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + '"';
}

std::string parasitesToJson(const ParasiteList& list)
{
    std::string out = "{\"parasites\":[";
    for (int i = 0; i < list.count(); ++i) {
        const Parasite& p = *list.at(i);
        if (i > 0)
            out += ',';
        out += '{';
        out += field("name", p.name) + ',';
        out += field("status", p.status) + ',';
        out += "\"dangerLevel\":" + std::to_string(p.dangerLevel) + ',';
        out += field("description", p.description) + ',';
        out += array("directories", p.directories, pathItem<DirectoryItem>) + ',';
        out += array("files", p.files, pathItem<FileItem>) + ',';
        out += array("cookies", p.cookies, [](const CookieItem& c) { return field("name", c.name); }) + ',';
        out += array("registryKeys", p.registryKeys, registryItem<RegistryKeyItem>) + ',';
        out += array("registryValues", p.registryValues, registryItem<RegistryValueItem>);
        out += '}';
    }
    return out + "]}";
}

}  // namespace cli
}  // namespace kestrune
