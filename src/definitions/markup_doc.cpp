// MarkupDoc: element index, token reader, cursor and text reads.
#include "definitions/markup_doc.h"

#include "definitions/text_platform.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace kestrune {

namespace {

bool isWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDelimiter(char c)
{
    return c != '\0' && std::strchr("<>=\\/?!", c) != nullptr;
}

struct Entity {
    const char* written;   // after the ampersand
    char character;
};

const Entity kEntities[] = {
    {"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'},
};

std::string withName(const char* message, const std::string& name)
{
    std::string out = message;
    std::string::size_type at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, name);
    return out;
}

}  // namespace

// A lead byte and its trail byte are one character; a lead byte at the very
// end of the text stands alone.
int32_t MarkupDoc::charLength(int32_t pos) const
{
    if (pos + 1 < length() && isLeadByte(static_cast<unsigned char>(text_[pos])))
        return 2;
    return 1;
}

int32_t MarkupDoc::findLessThan(int32_t from) const
{
    for (int32_t p = from; p < length(); p += charLength(p)) {
        if (text_[p] == '<')
            return p;
    }
    return -1;
}

int32_t MarkupDoc::findText(const char* what, int32_t from) const
{
    if (from < 0 || from >= length())
        return -1;
    std::string::size_type at = text_.find(what, static_cast<std::string::size_type>(from));
    return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

// Reads the token that starts at or after `from`. The result is false when
// there is no token, and also when the token ends exactly at the end of the
// text.
bool MarkupDoc::readToken(Token& token, int32_t from) const
{
    const int32_t n = length();
    int32_t p = from < 0 ? 0 : from;
    while (p < n && isWhitespace(text_[p]))
        ++p;
    token.quoted = false;
    if (p >= n) {
        token.start = n;
        token.end = n - 1;
        token.next = n;
        return false;
    }
    if (text_[p] == '"') {
        token.quoted = true;
        token.start = p + 1;
        int32_t q = p + 1;
        while (q < n && text_[q] != '"')
            q += charLength(q);
        if (q >= n) {
            token.end = n - 1;
            token.next = n;
        } else {
            token.end = q - 1;
            token.next = q + 1;
        }
    } else if (isDelimiter(text_[p])) {
        token.start = p;
        token.end = p;
        token.next = p + 1;
    } else {
        token.start = p;
        int32_t q = p;
        while (q < n && !isWhitespace(text_[q]) && !isDelimiter(text_[q]))
            q += charLength(q);
        if (q > n)
            q = n;
        token.end = q - 1;
        token.next = q;
    }
    return token.next < n;
}

std::string MarkupDoc::tokenText(const Token& token) const
{
    int32_t end = token.end < length() ? token.end : length() - 1;
    if (token.start > end || token.start >= length())
        return std::string();
    return text_.substr(token.start, end - token.start + 1);
}

bool MarkupDoc::tokenIs(const Token& token, const char* what) const
{
    return !token.quoted && tokenText(token) == what;
}

std::string MarkupDoc::tagName(int32_t index) const
{
    if (index <= 0 || index >= static_cast<int32_t>(elements_.size()))
        return std::string();
    Token token;
    if (!readToken(token, elements_[index].startTagOpen + 1))
        return std::string();
    return tokenText(token);
}

bool MarkupDoc::isEmptyElement(int32_t index) const
{
    const ElementEntry& e = elements_[index];
    return e.startTagClose == e.endTagOpen + 1;
}

std::string MarkupDoc::decode(int32_t first, int32_t last) const
{
    std::string out;
    if (last >= length())
        last = length() - 1;
    int32_t i = first < 0 ? 0 : first;
    while (i <= last) {
        if (text_[i] == '&') {
            bool replaced = false;
            for (const Entity& entity : kEntities) {
                int32_t len = static_cast<int32_t>(std::strlen(entity.written));
                if (i + len <= last && text_.compare(i + 1, len, entity.written) == 0) {
                    out += entity.character;
                    i += 1 + len;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) {
                out += '&';
                ++i;
            }
            continue;
        }
        int32_t len = charLength(i);
        if (i + len - 1 > last)
            len = last - i + 1;
        out.append(text_, i, len);
        i += len;
    }
    return out;
}

// Takes the next free entry, growing the table by half when it is full.
int32_t MarkupDoc::takeEntry()
{
    if (nextFree_ >= static_cast<int32_t>(elements_.size()))
        elements_.resize(elements_.size() + elements_.size() / 2 + 1);
    int32_t index = nextFree_++;
    elements_[index] = ElementEntry();
    return index;
}

int32_t MarkupDoc::fail(int32_t entry, const char* message, const std::string& name)
{
    errorText_ = withName(message, name);
    if (entry == nextFree_ - 1)
        --nextFree_;
    return -1;
}

// Parses one element below `parent`. Returns its index, 0 when an end tag
// stands where a start tag was expected, or -1 on an error (errorText_ set).
int32_t MarkupDoc::parseElement(int32_t parent, int nesting)
{
    const int32_t e = takeEntry();
    elements_[e].parent = parent;
    std::string name;

    int32_t scan = elements_[parent].endTagOpen;
    for (;;) {
        int32_t open = findLessThan(scan);
        if (open < 0)
            return fail(e, "Element tag not found", name);
        elements_[e].startTagOpen = open;
        elements_[parent].endTagOpen = open;

        Token token;
        if (!readToken(token, open + 1))
            return fail(e, "Abrupt end within tag", name);
        if (token.quoted)
            return fail(e, "Tag starts with quote", name);

        const char first = text_[token.start];
        const char* endText = ">";
        bool isStartTag = false;
        if (first == '?') {
            endText = "?>";
        } else if (first == '!') {
            if (token.start + 1 < length()) {
                const char second = text_[token.start + 1];
                endText = second == '[' ? "]]>" : second == '-' ? "-->" : ">";
            }
        } else if (first == '/') {
            --nextFree_;
            return 0;
        } else {
            name = tokenText(token);
            if (nesting > kMaxNesting)
                return fail(e, "Elements nested too deeply", name);
            isStartTag = true;
        }

        int32_t end = findText(endText, token.next);
        if (end < 0)
            return fail(e, "End of tag not found", name);
        scan = end;
        if (isStartTag)
            break;
    }

    elements_[e].startTagClose = scan;
    if (scan > 0 && text_[scan - 1] == '/') {
        elements_[e].endTagOpen = scan - 1;
        elements_[e].endTagClose = scan;
        return e;
    }

    elements_[e].endTagOpen = scan + 1;
    int32_t lastChild = 0;
    for (;;) {
        int32_t child = parseElement(e, nesting + 1);
        if (child < 0)
            return -1;
        if (child == 0)
            break;
        if (lastChild == 0)
            elements_[e].firstChild = child;
        else
            elements_[lastChild].nextSibling = child;
        lastChild = child;
        elements_[e].endTagOpen = elements_[child].endTagClose + 1;
    }

    if (const char* error = parseEndTag(e))
        return fail(e, error, name);
    return e;
}

// Reads the end tag whose "<" the children stopped at and sets endTagClose.
// Returns nullptr when it is "</" followed by the element's name, otherwise
// the error message (with "%s" for the name).
const char* MarkupDoc::parseEndTag(int32_t e)
{
    const std::string name = tagName(e);
    int32_t open = findLessThan(elements_[e].endTagOpen);
    if (open < 0)
        return "End tag of %s element not found";
    int count = 0;
    int32_t lastStart = -1;
    int32_t pos = open + 1;
    for (;;) {
        Token token;
        bool more = readToken(token, pos);
        if (!more) {
            if (token.start < length())
                lastStart = token.start;
            break;
        }
        ++count;
        lastStart = token.start;
        if (!token.quoted) {
            if (count == 1 && tokenText(token) != "/")
                return "Expecting end tag of element %s";
            if (count == 2 && tokenText(token) != name)
                return "End tag does not correspond to %s";
            if (tokenIs(token, ">"))
                break;
        }
        pos = token.next;
    }
    if (count < 2)
        return "End tag not completed for element %s";
    elements_[e].endTagClose = lastStart;
    return nullptr;
}

void MarkupDoc::resetCursor()
{
    mainPos_ = 0;
    childPos_ = 0;
    depth_ = 0;
}

bool MarkupDoc::parse(std::string text)
{
    nextFree_ = 1;
    resetCursor();
    try {
        text_ = std::move(text);
        if (text_.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 2)) {
            errorText_ = "Document too large";
            text_.clear();
        }
        size_t wanted = text_.size() / 64 + 8;
        if (elements_.size() < wanted)
            elements_.resize(wanted);
        if (!text_.empty()) {
            elements_[0] = ElementEntry();
            int32_t root = parseElement(0, 1);
            if (root > 0) {
                elements_[0].firstChild = root;
                resetCursor();
                return true;
            }
        }
    } catch (const std::exception&) {   // bad_alloc, length_error
        errorText_ = "Out of memory";
    }
    if (elements_.empty())
        elements_.resize(1);
    elements_[0] = ElementEntry();
    nextFree_ = 1;
    resetCursor();
    return false;
}

int32_t MarkupDoc::findByName(int32_t candidate, const std::string& name) const
{
    while (candidate != 0) {
        if (name.empty() || tagName(candidate) == name)
            return candidate;
        candidate = elements_[candidate].nextSibling;
    }
    return 0;
}

bool MarkupDoc::nextElement(const std::string& name)
{
    if (elements_.empty())
        return false;
    int32_t first = mainPos_ != 0 ? elements_[mainPos_].nextSibling : elements_[0].firstChild;
    int32_t found = findByName(first, name);
    if (found == 0)
        return false;
    mainPos_ = found;
    childPos_ = 0;
    return true;
}

bool MarkupDoc::nextChild(const std::string& name)
{
    if (mainPos_ == 0)
        nextElement(std::string());
    if (mainPos_ == 0 || isEmptyElement(mainPos_))
        return false;
    int32_t first = childPos_ != 0 ? elements_[childPos_].nextSibling : elements_[mainPos_].firstChild;
    int32_t found = findByName(first, name);
    if (found == 0)
        return false;
    childPos_ = found;
    return true;
}

bool MarkupDoc::descend()
{
    if (childPos_ == 0)
        nextChild(std::string());
    if (childPos_ == 0)
        return false;
    mainPos_ = childPos_;
    childPos_ = 0;
    ++depth_;
    return true;
}

bool MarkupDoc::ascend()
{
    if (mainPos_ == 0 || depth_ <= 0)
        return false;
    childPos_ = mainPos_;
    mainPos_ = elements_[mainPos_].parent;
    --depth_;
    return true;
}

std::string MarkupDoc::elementText() const
{
    return textOf(mainPos_);
}

std::string MarkupDoc::childAttribute(const std::string& name) const
{
    return attributeOf(childPos_, name);
}

std::string MarkupDoc::textOf(int32_t index) const
{
    if (!valid(index))
        return std::string();
    const ElementEntry& e = elements_[index];
    if (e.firstChild != 0 || isEmptyElement(index))
        return std::string();

    Token token;
    readToken(token, e.startTagClose + 1);
    if (tokenIs(token, "<") && token.start + 11 < e.endTagOpen
        && text_.compare(token.start + 1, 8, "![CDATA[") == 0) {
        int32_t from = token.start + 9;
        int32_t close = findText("]]>", from);
        if (close >= 0 && close < e.endTagOpen)
            return text_.substr(from, close - from);
    }
    return decode(e.startTagClose + 1, e.endTagOpen - 1);
}

std::string MarkupDoc::attributeOf(int32_t element, const std::string& name) const
{
    if (!valid(element) || name.empty())
        return std::string();
    int32_t index = 0;
    int32_t matched = -1;
    int32_t pos = elements_[element].startTagOpen + 1;
    for (;; ++index) {
        Token token;
        if (!readToken(token, pos))
            return std::string();
        if (token.quoted) {
            if (matched >= 0 && index == matched + 2)
                return decode(token.start, token.end);
        } else {
            std::string word = tokenText(token);
            if (word == ">" || word == "/")
                return std::string();
            if (word != "=" && index > 0 && matched < 0 && word == name)
                matched = index;
        }
        pos = token.next;
    }
}

}  // namespace kestrune
