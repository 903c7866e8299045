// The regedit export reader.
#include "platform/reg_export.h"

namespace kestrune {

namespace {

const char16_t kUnicodeHeader[] = u"Windows Registry Editor Version 5.00";
const char16_t kAnsiHeader[] = u"REGEDIT4";
constexpr uint32_t kString = 1;
constexpr uint32_t kExpandable = 2;
constexpr uint32_t kBinary = 3;
constexpr uint32_t kDword = 4;
constexpr uint32_t kMultiString = 7;

std::u16string latin1(const std::string& bytes)
{
    std::u16string text;
    for (char c : bytes)
        text += static_cast<char16_t>(static_cast<unsigned char>(c));
    return text;
}

bool blank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

void appendUtf16(std::string& bytes, const std::u16string& text)
{
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xff);
        bytes += static_cast<char>(c >> 8);
    }
}

std::vector<std::u16string> splitLines(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    std::u16string::size_type start = 0;
    while (start < text.size()) {
        std::u16string::size_type end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crlf = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::u16string trimmed(const std::u16string& text)
{
    std::u16string::size_type first = 0;
    while (first < text.size() && blank(text[first]))
        ++first;
    std::u16string::size_type last = text.size();
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Nothing, or a comment, from `at` on.
bool onlyComment(const std::u16string& text, size_t at)
{
    while (at < text.size() && blank(text[at]))
        ++at;
    return at == text.size() || text[at] == u';';
}

// A quoted text from `at` (just past the opening quote) to its closing
// quote; `at` ends past the closing quote.
bool unquote(const std::u16string& text, size_t& at, std::u16string& out)
{
    out.clear();
    for (; at < text.size(); ++at) {
        const char16_t c = text[at];
        if (c == u'"') {
            ++at;
            return true;
        }
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++at == text.size())
            return false;
        switch (text[at]) {
        case u'\\':
        case u'"':
            out += text[at];
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        default:
            return false;
        }
    }
    return false;
}

// "XX,XX,..." with blanks around the commas; a comma may end the list. No
// comment: one between joined lines would hide the bytes after it.
bool hexBytes(const std::u16string& text, std::string& bytes)
{
    size_t at = 0;
    for (;;) {
        while (at < text.size() && blank(text[at]))
            ++at;
        if (at == text.size())
            return true;
        if (at + 1 >= text.size() || hexDigit(text[at]) < 0 || hexDigit(text[at + 1]) < 0)
            return false;
        bytes += static_cast<char>(hexDigit(text[at]) * 16 + hexDigit(text[at + 1]));
        at += 2;
        while (at < text.size() && blank(text[at]))
            ++at;
        if (at == text.size())
            return true;
        if (text[at] != u',')
            return false;
        ++at;
    }
}

class Reader {
public:
    Reader(std::vector<std::u16string> lines, bool unicode, AnsiDecoder decode)
        : lines_(std::move(lines)), unicode_(unicode), decode_(decode)
    {
    }

    bool read(RegExport& out, std::string& fault)
    {
        out.unicode = unicode_;
        if (lines_.empty() ||
            trimmed(lines_[0]) != (unicode_ ? kUnicodeHeader : kAnsiHeader)) {
            fault = unicode_ ? "no \"Windows Registry Editor Version 5.00\" line first"
                             : "no \"REGEDIT4\" line first";
            return false;
        }
        for (line_ = 1; line_ < lines_.size(); ++line_) {
            const std::u16string& raw = lines_[line_];
            size_t at = 0;
            while (at < raw.size() && blank(raw[at]))
                ++at;
            if (at == raw.size() || raw[at] == u';')
                continue;
            const std::u16string text = raw.substr(at);
            const char* why = text[0] == u'['                     ? keyLine(text, out)
                              : text[0] == u'@' || text[0] == u'"' ? valueLine(text, out)
                                                                   : "a line of no known form";
            if (why != nullptr) {
                fault = std::string(why) + " (line " + std::to_string(line_ + 1) + ")";
                out.keys.clear();
                return false;
            }
        }
        return true;
    }

private:
    const char* keyLine(const std::u16string& text, RegExport& out)
    {
        const std::u16string::size_type close = text.rfind(u']');
        if (close == std::u16string::npos)
            return "a key line without its closing bracket";
        const std::u16string name = text.substr(1, close - 1);
        if (name.empty() || blank(name[0]))
            return "a key line without a key";
        if (name[0] == u'-')
            return "a key deletion";
        out.keys.push_back(RegExportKey{name, {}});
        return nullptr;
    }

    const char* valueLine(const std::u16string& text, RegExport& out)
    {
        if (out.keys.empty())
            return "a value before any key";
        RegExportValue value;
        size_t at = 1;
        if (text[0] == u'"' && !unquote(text, at, value.name))
            return "a value name without its closing quote";
        while (at < text.size() && blank(text[at]))
            ++at;
        if (at == text.size() || text[at] != u'=')
            return "a value without \"=\"";
        ++at;
        while (at < text.size() && blank(text[at]))
            ++at;
        const std::u16string data = text.substr(at);
        const char* why = valueData(data, value);
        if (why != nullptr)
            return why;
        out.keys.back().values.push_back(std::move(value));
        return nullptr;
    }

    const char* valueData(const std::u16string& data, RegExportValue& value)
    {
        if (!data.empty() && data[0] == u'"') {
            size_t at = 1;
            std::u16string text;
            if (!unquote(data, at, text) || !onlyComment(data, at))
                return "a string value that is not one quoted text";
            value.type = kString;
            appendUtf16(value.data, text + u'\0');
            return nullptr;
        }
        if (trimmed(data) == u"-")
            return "a value deletion";
        if (data.compare(0, 6, u"dword:") == 0) {
            size_t at = 6;
            uint32_t number = 0;
            while (at < data.size() && at < 14 && hexDigit(data[at]) >= 0)
                number = number * 16 + static_cast<uint32_t>(hexDigit(data[at++]));
            if (at == 6 || !onlyComment(data, at))
                return "a dword value that is not 1 to 8 hex digits";
            value.type = kDword;
            for (int b = 0; b < 4; ++b)
                value.data += static_cast<char>((number >> (8 * b)) & 0xff);
            return nullptr;
        }
        if (data.compare(0, 3, u"hex") != 0)
            return "a value of no known type";
        size_t at = 3;
        value.type = kBinary;
        if (at < data.size() && data[at] == u'(') {
            uint32_t type = 0;
            size_t digits = 0;
            for (++at; at < data.size() && hexDigit(data[at]) >= 0; ++at, ++digits)
                type = type * 16 + static_cast<uint32_t>(hexDigit(data[at]));
            if (digits == 0 || digits > 8 || at == data.size() || data[at] != u')')
                return "a hex(N) type that is not 1 to 8 hex digits";
            value.type = type;
            ++at;
        }
        if (at == data.size() || data[at] != u':')
            return "a hex value without \":\"";
        // The bytes go on over every line that ends in a backslash.
        std::u16string list = trimmed(data.substr(at + 1));
        while (!list.empty() && list.back() == u'\\') {
            list.pop_back();
            if (++line_ == lines_.size())
                return "a hex value that goes on past the end";
            list += trimmed(lines_[line_]);
        }
        std::string bytes;
        if (!hexBytes(list, bytes))
            return "hex data that are not two-digit bytes separated by commas";
        if (!unicode_ && (value.type == kExpandable || value.type == kMultiString)) {
            const std::u16string text = decode_(bytes);
            bytes.clear();
            appendUtf16(bytes, text);
        }
        value.data = bytes;
        return nullptr;
    }

    std::vector<std::u16string> lines_;
    bool unicode_;
    AnsiDecoder decode_;
    size_t line_ = 0;
};

}  // namespace

bool readRegExport(const std::string& bytes, AnsiDecoder decodeAnsi, RegExport& out,
                   std::string& fault)
{
    out = RegExport();
    fault.clear();
    if (decodeAnsi == nullptr)
        decodeAnsi = latin1;
    std::u16string text;
    const bool unicode = bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe';
    if (unicode) {
        if (bytes.size() % 2 != 0) {
            fault = "UTF-16 text of an odd number of bytes";
            return false;
        }
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    } else {
        text = decodeAnsi(bytes);
    }
    if (text.find(u'\0') != std::u16string::npos) {
        fault = "a NUL character in the text";
        return false;
    }
    return Reader(splitLines(text), unicode, decodeAnsi).read(out, fault);
}

}  // namespace kestrune
