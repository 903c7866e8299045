// MarkupDoc: a read-only parser for the small markup subset of reference
// files. parse() builds a flat index of the elements in one pass; the owner
// then walks it with a two-level cursor (a main position and a child position
// below it) and reads element texts and attribute values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

class MarkupDoc {
public:
    // Deeper nesting than this is a parse error, so that no input can exhaust
    // the stack; real reference files nest five levels.
    static const int kMaxNesting = 1000;

    MarkupDoc() = default;
    virtual ~MarkupDoc() = default;
    MarkupDoc(const MarkupDoc&) = delete;
    MarkupDoc& operator=(const MarkupDoc&) = delete;

    // Replaces the text and rebuilds the index; resets the cursor. True when
    // the root element parsed without error. On failure the document has no
    // elements and errorText() names the error (a document whose first tag is
    // an end tag, or the empty text, fails without changing errorText()).
    bool parse(std::string text);

    bool nextElement(const std::string& name);
    bool nextChild(const std::string& name);
    bool descend();
    bool ascend();

    // Text content of the main-position element: empty when it has children
    // or is an empty-element tag; a leading CDATA section is returned raw,
    // anything else entity-decoded and untrimmed.
    std::string elementText() const;
    // Value of the named attribute of the child-position element; empty when
    // there is none.
    std::string childAttribute(const std::string& name) const;

    // Message of the last parse error; parse() never clears it.
    const std::string& errorText() const { return errorText_; }

    // Read-only access to the index by element number, for tools that report
    // on a whole document (the definitions checker). 0 means "none".
    int32_t rootElement() const { return elements_.empty() ? 0 : elements_[0].firstChild; }
    int32_t firstChildOf(int32_t index) const { return valid(index) ? elements_[index].firstChild : 0; }
    int32_t nextSiblingOf(int32_t index) const { return valid(index) ? elements_[index].nextSibling : 0; }
    int32_t offsetOf(int32_t index) const { return valid(index) ? elements_[index].startTagOpen : 0; }
    std::string nameOf(int32_t index) const { return valid(index) ? tagName(index) : std::string(); }
    std::string textOf(int32_t index) const;
    std::string attributeOf(int32_t index, const std::string& name) const;
    const std::string& text() const { return text_; }

private:
    struct ElementEntry {
        int32_t startTagOpen = 0;
        int32_t startTagClose = 0;
        int32_t endTagOpen = 0;
        int32_t endTagClose = 0;
        int32_t parent = 0;
        int32_t firstChild = 0;
        int32_t nextSibling = 0;
    };

    struct Token {
        int32_t start = 0;   // first character, inclusive
        int32_t end = -1;    // last character, inclusive
        int32_t next = 0;    // where the search for the following token begins
        bool quoted = false;
    };

    bool valid(int32_t index) const { return index > 0 && index < nextFree_; }
    int32_t length() const { return static_cast<int32_t>(text_.size()); }
    int32_t charLength(int32_t pos) const;
    int32_t findLessThan(int32_t from) const;
    int32_t findText(const char* what, int32_t from) const;
    bool readToken(Token& token, int32_t from) const;
    std::string tokenText(const Token& token) const;
    bool tokenIs(const Token& token, const char* what) const;
    std::string tagName(int32_t index) const;
    bool isEmptyElement(int32_t index) const;
    std::string decode(int32_t first, int32_t last) const;

    int32_t takeEntry();
    int32_t parseElement(int32_t parent, int nesting);
    int32_t fail(int32_t entry, const char* message, const std::string& name);
    const char* parseEndTag(int32_t entry);
    int32_t findByName(int32_t candidate, const std::string& name) const;
    void resetCursor();

    std::string text_;
    std::vector<ElementEntry> elements_;
    int32_t nextFree_ = 1;
    int32_t mainPos_ = 0;
    int32_t childPos_ = 0;
    int32_t depth_ = 0;
    std::string errorText_;
};

}  // namespace kestrune
