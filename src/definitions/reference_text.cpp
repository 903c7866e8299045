// Reference-file text layers and the schema walk.
#include "definitions/reference_text.h"

#include "definitions/markup_doc.h"
#include "definitions/text_encoding.h"
#include "platform/item_kinds.h"

#include <limits>
#include <stdexcept>

namespace kestrune {

void scrambleBytes(std::string& bytes)
{
    for (char& c : bytes)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
}

void unscrambleText(std::string& bytes)
{
    scrambleBytes(bytes);
    std::string::size_type zero = bytes.find('\0');
    if (zero != std::string::npos)
        bytes.resize(zero);
}

std::string normaliseLineEnds(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

namespace {

void replaceAll(std::string& text, const std::string& token, const std::string& folder)
{
    std::string::size_type at = 0;
    while ((at = text.find(token, at)) != std::string::npos) {
        text.replace(at, token.size(), folder);
        at += folder.size();
    }
}

}  // namespace

std::string replaceFolderTokens(const std::string& path, const SystemFolders& folders)
{
    std::string out = path;
    replaceAll(out, "PFDir", folders.programFiles);
    replaceAll(out, "WinDir", folders.windows);
    replaceAll(out, "SysDir", folders.windowsSystem);
    replaceAll(out, "Sys32Dir", folders.system32);
    return out;
}

int32_t parseDangerLevel(const std::string& text)
{
    std::string::size_type i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'
                               || text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;   // saturate; keep reading the digits
    }
    return static_cast<int32_t>(negative ? -value : value);
}

namespace {

// Reads the items of one section: `descend` into the section, one record per
// child named by the tag of `kind`, `ascend` back out.
template <typename Item, typename Fill>
void readItems(MarkupDoc& doc, ItemKind kind, OwnedList<Item>& items, Fill fill)
{
    doc.descend();
    while (doc.nextChild(kindWord(kind, KindWord::Tag))) {
        std::unique_ptr<Item> item(new Item);
        fill(*item);
        items.push_back(std::move(item));
    }
    doc.ascend();
}

template <typename Item>
void readPathItems(MarkupDoc& doc, ItemKind kind, OwnedList<Item>& items,
                   const SystemFolders& folders)
{
    readItems(doc, kind, items, [&](Item& item) {
        item.name = doc.childAttribute("NAME");
        item.path = replaceFolderTokens(doc.childAttribute("PATH"), folders);
    });
}

template <typename Item>
void readRegistryItems(MarkupDoc& doc, ItemKind kind, OwnedList<Item>& items)
{
    readItems(doc, kind, items, [&](Item& item) {
        item.main = doc.childAttribute("MAIN");
        item.sub = doc.childAttribute("SUB");
        item.value = doc.childAttribute("VALUE");
    });
}

// Reads the SW element at the child position; the cursor ends where it began.
std::unique_ptr<Parasite> readParasite(MarkupDoc& doc, const SystemFolders& folders)
{
    std::unique_ptr<Parasite> parasite(new Parasite);
    parasite->name = doc.childAttribute("NAME");
    doc.descend();

    if (doc.nextChild("DIRECTORIES"))
        readPathItems(doc, ItemKind::Folder, parasite->directories, folders);
    if (doc.nextChild("FILES"))
        readPathItems(doc, ItemKind::File, parasite->files, folders);
    if (doc.nextChild("COOKIES")) {
        doc.descend();
        while (doc.nextChild(kindWord(ItemKind::Cookie, KindWord::Tag))) {
            std::unique_ptr<CookieItem> cookie(new CookieItem);
            cookie->name = doc.childAttribute("NAME");
            parasite->cookies.push_back(std::move(cookie));
        }
        // The section's presence adds one cookie named after the parasite.
        std::unique_ptr<CookieItem> own(new CookieItem);
        own->name = parasite->name;
        parasite->cookies.push_back(std::move(own));
        doc.ascend();
    }
    if (doc.nextChild("REGISTRY")) {
        doc.descend();
        if (doc.nextChild("KEYS"))
            readRegistryItems(doc, ItemKind::RegistryKey, parasite->registryKeys);
        if (doc.nextChild("VALUES"))
            readRegistryItems(doc, ItemKind::RegistryValue, parasite->registryValues);
        doc.ascend();
    }
    if (doc.nextChild("DANGER_LEVEL")) {
        doc.descend();
        parasite->dangerLevel = parseDangerLevel(doc.elementText());
        doc.ascend();
    }
    if (doc.nextChild("DESCRIPTION")) {
        doc.descend();
        parasite->description = doc.elementText();
        doc.ascend();
    }

    doc.ascend();
    return parasite;
}

}  // namespace

bool loadReferenceBytes(std::string raw, ParasiteList& list, const SystemFolders& folders,
                        std::string* errorText)
{
    if (errorText)
        errorText->clear();
    try {
        unscrambleText(raw);
        if (!readAsProcessText(raw, processTextIsUtf8())) {
            if (errorText)
                *errorText = "Out of memory";
            return false;
        }
        std::string text = normaliseLineEnds(raw);
        std::string().swap(raw);

        MarkupDoc doc;
        if (!doc.parse(std::move(text))) {
            if (errorText)
                *errorText = doc.errorText();
            return false;
        }

        // Built aside and swapped in, so that running out of memory half way
        // leaves the caller's list as it was.
        ParasiteList loaded;
        if (doc.nextElement("KS")) {
            while (doc.nextChild("SW"))
                loaded.append(readParasite(doc, folders));
        }
        list.swap(loaded);
        return true;
    } catch (const std::exception&) {   // bad_alloc, length_error
        if (errorText)
            *errorText = "Out of memory";
        return false;
    }
}

}  // namespace kestrune
