// The body of the markup fuzz target, shared with the regression test.
#include "fuzz_markup.h"

#include "definitions/definitions_check.h"
#include "definitions/markup_doc.h"
#include "definitions/reference_text.h"
#include "definitions/text_encoding.h"

#include <cstdlib>
#include <string>

namespace kestrune {

void fuzzMarkupOnce(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    // Raw navigation over the whole tree, reading every text and attribute.
    MarkupDoc doc;
    if (doc.parse(text)) {
        int steps = 0;
        while (steps++ < 10000 && doc.nextChild(std::string())) {
            doc.childAttribute("NAME");
            if (doc.descend()) {
                doc.elementText();
                doc.nextChild("X");
                doc.childAttribute("VALUE");
                doc.ascend();
            }
        }
        doc.nextElement("KS");
        doc.elementText();
    }

    // The loader, both on the text as written and as a scrambled file.
    SystemFolders folders = systemFolders();
    ParasiteList list;
    loadReferenceBytes(text, list, folders);
    std::string scrambled = text;
    scrambleBytes(scrambled);
    loadReferenceBytes(scrambled, list, folders);

    checkDefinitions(normaliseLineEnds(text));

    // Whatever the bytes, a UTF-8 process reads them as valid UTF-8.
    std::string asText = text;
    if (!readAsProcessText(asText, true) || !isValidUtf8(asText))
        std::abort();
}

}  // namespace kestrune
