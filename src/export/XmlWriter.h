// Writing XML and HTML files with libxml2's writer, so that every text is escaped by the
// library: a thin owner of one xmlTextWriter that collects the document in memory.
#pragma once

#include <string>
#include <string_view>

// libxml2's writer, declared as the library declares it.
struct _xmlTextWriter;

namespace quorvia::exporting {

class XmlWriter final {
public:
    // Indents nested elements by two blanks per level, each on a line of its own.
    XmlWriter();
    ~XmlWriter();
    XmlWriter(const XmlWriter&) = delete;
    XmlWriter& operator=(const XmlWriter&) = delete;

    // The XML declaration with UTF-8 as its encoding.
    void startDocument();
    // A document type declaration without public or system identifier: <!DOCTYPE html>.
    void doctype(const char* name);
    void startElement(const char* name);
    // Texts are UTF-8; a control character XML cannot carry shows as U+FFFD.
    void attribute(const char* name, std::string_view value);
    void text(std::string_view value);
    // Written as it stands, for the program's own fixed texts (a style sheet).
    void raw(std::string_view value);
    // Ends the element with an end tag even when it is empty, as HTML needs.
    void endElement();
    // Ends the element in the short form <name/> when it is empty.
    void endEmptyElement();
    // Ends every open element and gives the document.
    std::string finish();

private:
    const char* safe(std::string_view value);

    _xmlTextWriter* m_writer = nullptr;  // owned
    std::string m_output;
    std::string m_buffer;
};

}  // namespace quorvia::exporting
