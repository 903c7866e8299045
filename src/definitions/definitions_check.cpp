// The definitions checker. It reads the document with the loader's own parser
// and repeats the loader's rules for which sections are read.
#include "definitions/definitions_check.h"

#include "definitions/markup_doc.h"
#include "definitions/reference_text.h"
#include "definitions/text_platform.h"
#include "platform/hive_names.h"
#include "platform/item_kinds.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace kestrune {

namespace {

bool isHiveName(const std::string& text)
{
    for (const char* hive : kHiveNames) {
        std::string h = hive;
        if (h.size() == text.size()
            && std::equal(h.begin(), h.end(), text.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
               }))
            return true;
    }
    return false;
}

class Checker {
public:
    Checker(const std::string& text, const ItemJudge& judge) : judge_(judge)
    {
        parsed_ = doc_.parse(text);
        if (judge_)
            folders_ = systemFolders();
    }

    std::vector<CheckMessage> run()
    {
        if (!parsed_) {
            std::string why = doc_.errorText().empty() ? "the text is not well-formed markup" : doc_.errorText();
            add(0, std::string(), "does not parse: " + why).error = true;
            return messages_;
        }
        int32_t root = doc_.rootElement();
        if (doc_.nameOf(root) != "KS") {
            warn(root, std::string(), "root element is " + doc_.nameOf(root) + ", not KS: the file loads as an empty list");
            return messages_;
        }
        for (int32_t c = doc_.firstChildOf(root); c != 0; c = doc_.nextSiblingOf(c)) {
            if (doc_.nameOf(c) == "SW")
                checkParasite(c);
            else
                unknown(c, std::string());
        }
        return messages_;
    }

private:
    CheckMessage& add(int32_t element, const std::string& parasite, const std::string& text)
    {
        CheckMessage m;
        m.line = element != 0 ? lineOf(doc_.offsetOf(element)) : 0;
        m.aboutParasite = inParasite_;
        m.parasite = parasite;
        m.text = text;
        messages_.push_back(m);
        return messages_.back();
    }

    void warn(int32_t element, const std::string& parasite, const std::string& text) { add(element, parasite, text); }

    void unknown(int32_t element, const std::string& parasite)
    {
        warn(element, parasite, "unknown element " + doc_.nameOf(element) + " is passed over");
    }

    int lineOf(int32_t offset) const
    {
        const std::string& t = doc_.text();
        return 1 + static_cast<int>(std::count(t.begin(), t.begin() + std::min<size_t>(offset, t.size()), '\n'));
    }

    // Marks which children of `parent` the loader reads for the sections in
    // `order`, each search starting after the last section found, and reports
    // the sections it passes over and the elements it does not know.
    std::vector<int32_t> readSections(int32_t parent, const std::vector<std::string>& order,
                                      const std::string& parasite)
    {
        std::vector<int32_t> children;
        for (int32_t c = doc_.firstChildOf(parent); c != 0; c = doc_.nextSiblingOf(c))
            children.push_back(c);
        std::vector<int32_t> read(order.size(), 0);
        size_t from = 0;
        for (size_t s = 0; s < order.size(); ++s) {
            for (size_t i = from; i < children.size(); ++i) {
                if (doc_.nameOf(children[i]) == order[s]) {
                    read[s] = children[i];
                    from = i + 1;
                    break;
                }
            }
        }
        for (int32_t c : children) {
            std::string name = doc_.nameOf(c);
            auto it = std::find(order.begin(), order.end(), name);
            if (it == order.end()) {
                unknown(c, parasite);
                continue;
            }
            int32_t chosen = read[it - order.begin()];
            if (chosen == c)
                continue;
            if (chosen != 0 && doc_.offsetOf(chosen) < doc_.offsetOf(c))
                warn(c, parasite, "second " + name + " section is not read");
            else
                warn(c, parasite, name + " section stands out of order and is not read");
        }
        return read;
    }

    // Each child of a section must be an item of `kind` (its element named by
    // the kind's tag); `check` looks at each item and its kind.
    template <typename Check>
    void checkItems(int32_t section, ItemKind kind, const std::string& parasite, Check check)
    {
        if (section == 0)
            return;
        for (int32_t c = doc_.firstChildOf(section); c != 0; c = doc_.nextSiblingOf(c)) {
            if (doc_.nameOf(c) != kindWord(kind, KindWord::Tag)) {
                unknown(c, parasite);
                continue;
            }
            check(c, kind);
            for (int32_t g = doc_.firstChildOf(c); g != 0; g = doc_.nextSiblingOf(g))
                unknown(g, parasite);
        }
    }

    void requireName(int32_t item, const std::string& parasite)
    {
        if (doc_.attributeOf(item, "NAME").empty())
            warn(item, parasite, doc_.nameOf(item) + " item has an empty NAME");
    }

    // Hands the item to the judge and reports what it says at the item.
    void judge(int32_t element, const std::string& parasite, const CheckedItem& item)
    {
        if (!judge_)
            return;
        for (const std::string& text : judge_(item))
            warn(element, parasite, text);
    }

    void judgePathItem(int32_t element, ItemKind kind, const std::string& parasite)
    {
        CheckedItem item;
        item.kind = kind;
        item.name = doc_.attributeOf(element, "NAME");
        item.path = replaceFolderTokens(doc_.attributeOf(element, "PATH"), folders_);
        judge(element, parasite, item);
    }

    void judgeCookie(int32_t element, const std::string& parasite, const std::string& name)
    {
        CheckedItem item;
        item.kind = ItemKind::Cookie;
        item.name = name;
        judge(element, parasite, item);
    }

    void judgeRegistryItem(int32_t element, ItemKind kind, const std::string& parasite)
    {
        CheckedItem item;
        item.kind = kind;
        item.main = doc_.attributeOf(element, "MAIN");
        item.sub = doc_.attributeOf(element, "SUB");
        item.value = doc_.attributeOf(element, "VALUE");
        judge(element, parasite, item);
    }

    void checkRegistryItem(int32_t item, ItemKind kind, const std::string& parasite)
    {
        std::string main = doc_.attributeOf(item, "MAIN");
        if (!isHiveName(main))
            warn(item, parasite, doc_.nameOf(item) + " MAIN \"" + main + "\" is not a hive name");
        if (kind == ItemKind::RegistryKey && doc_.attributeOf(item, "VALUE").empty())
            warn(item, parasite, std::string(kindWord(kind, KindWord::Tag)) +
                                     " item has an empty VALUE (it would name its parent key)");
    }

    void checkDangerLevel(int32_t element, const std::string& parasite)
    {
        std::string text = doc_.textOf(element);
        size_t b = text.find_first_not_of(" \t\r\n");
        size_t e = text.find_last_not_of(" \t\r\n");
        std::string t = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
        size_t digits = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
        bool number = t.size() > digits
                      && std::all_of(t.begin() + digits, t.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!number)
            warn(element, parasite, "DANGER_LEVEL \"" + text + "\" is not a number");
        else if (!(t == "0" || t == "1" || t == "2" || t == "+0" || t == "+1" || t == "+2" || t == "-0"))
            warn(element, parasite, "DANGER_LEVEL " + t + " is outside 0 to 2");
    }

    void checkParasite(int32_t sw)
    {
        inParasite_ = true;
        const std::string name = doc_.attributeOf(sw, "NAME");
        if (name.empty())
            warn(sw, name, "SW has an empty NAME");
        std::vector<int32_t> s = readSections(
            sw, {"DIRECTORIES", "FILES", "COOKIES", "REGISTRY", "DANGER_LEVEL", "DESCRIPTION"}, name);
        auto pathItem = [&](int32_t item, ItemKind kind) {
            requireName(item, name);
            judgePathItem(item, kind, name);
        };
        checkItems(s[0], ItemKind::Folder, name, pathItem);
        checkItems(s[1], ItemKind::File, name, pathItem);
        checkItems(s[2], ItemKind::Cookie, name, [&](int32_t item, ItemKind) {
            requireName(item, name);
            judgeCookie(item, name, doc_.attributeOf(item, "NAME"));
        });
        if (s[2] != 0)
            judgeCookie(s[2], name, name);   // the section adds a cookie named after the SW
        if (s[3] != 0) {
            std::vector<int32_t> r = readSections(s[3], {"KEYS", "VALUES"}, name);
            auto registryItem = [&](int32_t item, ItemKind kind) {
                checkRegistryItem(item, kind, name);
                judgeRegistryItem(item, kind, name);
            };
            checkItems(r[0], ItemKind::RegistryKey, name, registryItem);
            checkItems(r[1], ItemKind::RegistryValue, name, registryItem);
        }
        if (s[4] != 0)
            checkDangerLevel(s[4], name);
        for (int i : {4, 5}) {
            for (int32_t g = doc_.firstChildOf(s[i]); s[i] != 0 && g != 0; g = doc_.nextSiblingOf(g))
                unknown(g, name);
        }
        inParasite_ = false;
    }

    ItemJudge judge_;
    SystemFolders folders_;
    MarkupDoc doc_;
    bool parsed_ = false;
    bool inParasite_ = false;
    std::vector<CheckMessage> messages_;
};

}  // namespace

std::vector<CheckMessage> checkDefinitions(const std::string& text, const ItemJudge& judge)
{
    return Checker(text, judge).run();
}

std::string formatCheckMessage(const std::string& file, const CheckMessage& message)
{
    std::string out = file;
    if (message.line > 0)
        out += ":" + std::to_string(message.line);
    out += message.error ? ": error: " : ": warning: ";
    if (message.aboutParasite)
        out += "parasite \"" + message.parasite + "\": ";
    return out + message.text;
}

}  // namespace kestrune
