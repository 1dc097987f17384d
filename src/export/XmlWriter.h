// Writing XML and HTML files with libxml2, so that every text is escaped by the library: its
// writer (an xmlTextWriter) writes the document's frame, and the many small elements of a tree
// are formed from values its own attribute serializer escapes, a call per value instead of
// half a dozen per element.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

// libxml2's writer, document and buffer, declared as the library declares them.
struct _xmlTextWriter;
struct _xmlDoc;
struct _xmlBuffer;

namespace quorvia::exporting {

// Where a document goes, block by block.
using XmlSink = std::function<void(std::string_view)>;

class XmlWriter final {
public:
    // The document goes to `sink` in blocks of about a megabyte, so that a large one never
    // lies whole in fresh memory.
    explicit XmlWriter(XmlSink sink);
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
    // Written as it stands: the program's own fixed texts, and markup formed with escape().
    void raw(std::string_view markup);
    // Ends the element with an end tag even when it is empty, as HTML needs.
    void endElement();
    // Ends the element in the short form <name/> when it is empty.
    void endEmptyElement();
    // Appends `value` to `markup` as libxml2 escapes an attribute's value (which serves for an
    // HTML element's text as well), control characters as in attribute().
    void escape(std::string& markup, std::string_view value);
    // The same for a text of the database as the tree shows it.
    void escape(std::string& markup, std::string_view bytes, const platform::TextCodec& codec);
    // Ends every open element and gives the rest of the document to the sink.
    void finish();

private:
    const char* safe(std::string_view value);
    void release();
    // Passes the written bytes on once they fill a block (outside any call of libxml2, so that
    // a failing sink never unwinds through it).
    void flushFullBlock();

    XmlSink m_sink;
    std::string m_block;
    _xmlTextWriter* m_writer = nullptr;  // owned
    _xmlDoc* m_document = nullptr;       // owned; tells the serializer the text is UTF-8
    _xmlBuffer* m_escaped = nullptr;     // owned
    std::string m_buffer;
};

}  // namespace quorvia::exporting
