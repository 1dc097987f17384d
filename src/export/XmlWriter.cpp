#include "export/XmlWriter.h"

#include <libxml/xmlwriter.h>

#include <algorithm>
#include <new>

namespace quorvia::exporting {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr size_t kBlock = size_t{1} << 20;

int append(void* output, const char* bytes, int length) {
    static_cast<std::string*>(output)->append(bytes, static_cast<size_t>(length));
    return length;
}

int closeNothing(void*) {
    return 0;
}

const xmlChar* xml(const char* text) {
    return reinterpret_cast<const xmlChar*>(text);
}

// A negative result of the writer is a failure of memory: the only thing it writes to.
void check(int result) {
    if (result < 0) {
        throw std::bad_alloc();
    }
}

bool isForbiddenControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// Printable ASCII that neither markup nor an attribute's quotes give a meaning.
bool isPlain(char c) {
    return c >= 0x20 && c < 0x7F && c != '<' && c != '>' && c != '&' && c != '"';
}

}  // namespace

XmlWriter::XmlWriter(XmlSink sink) : m_sink(std::move(sink)) {
    m_block.reserve(kBlock + kBlock / 4);
    // The writer owns the output buffer from here on and frees it with itself.
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(append, closeNothing, &m_block, nullptr);
    m_writer = output != nullptr ? xmlNewTextWriter(output) : nullptr;
    m_document = xmlNewDoc(xml("1.0"));
    m_escaped = xmlBufferCreate();
    if (m_writer == nullptr || m_document == nullptr || m_escaped == nullptr) {
        release();
        throw std::bad_alloc();
    }
    // Characters beyond ASCII stay as they are, not character references.
    m_document->encoding = xmlStrdup(xml("UTF-8"));
}

XmlWriter::~XmlWriter() {
    release();
}

void XmlWriter::release() {
    xmlFreeTextWriter(m_writer);
    xmlFreeDoc(m_document);
    xmlBufferFree(m_escaped);
    m_writer = nullptr;
    m_document = nullptr;
    m_escaped = nullptr;
}

const char* XmlWriter::safe(std::string_view value) {
    m_buffer.assign(value);
    if (std::any_of(value.begin(), value.end(), isForbiddenControl)) {
        m_buffer.clear();
        for (const char c : value) {
            m_buffer.append(isForbiddenControl(c) ? kReplacement : std::string_view(&c, 1));
        }
    }
    return m_buffer.c_str();
}

void XmlWriter::startDocument() {
    check(xmlTextWriterStartDocument(m_writer, nullptr, "UTF-8", nullptr));
}

void XmlWriter::doctype(const char* name) {
    check(xmlTextWriterWriteDTD(m_writer, xml(name), nullptr, nullptr, nullptr));
}

void XmlWriter::startElement(const char* name) {
    check(xmlTextWriterStartElement(m_writer, xml(name)));
}

void XmlWriter::attribute(const char* name, std::string_view value) {
    check(xmlTextWriterWriteAttribute(m_writer, xml(name), xml(safe(value))));
}

void XmlWriter::text(std::string_view value) {
    check(xmlTextWriterWriteString(m_writer, xml(safe(value))));
}

void XmlWriter::raw(std::string_view markup) {
    check(xmlTextWriterWriteRawLen(m_writer, reinterpret_cast<const xmlChar*>(markup.data()),
                                   static_cast<int>(markup.size())));
    flushFullBlock();
}

void XmlWriter::flushFullBlock() {
    if (m_block.size() >= kBlock) {
        m_sink(m_block);
        m_block.clear();
    }
}

void XmlWriter::escape(std::string& markup, std::string_view value) {
    // A text of plain characters is its own escape; the library sees every other one.
    if (std::all_of(value.begin(), value.end(), isPlain)) {
        markup.append(value);
        return;
    }
    xmlBufferEmpty(m_escaped);
    xmlAttrSerializeTxtContent(m_escaped, m_document, nullptr, xml(safe(value)));
    markup.append(reinterpret_cast<const char*>(xmlBufferContent(m_escaped)),
                  static_cast<size_t>(xmlBufferLength(m_escaped)));
}

void XmlWriter::escape(std::string& markup, std::string_view bytes,
                       const platform::TextCodec& codec) {
    if (platform::isAscii(bytes)) {
        escape(markup, bytes);
    } else {
        escape(markup, codec.toUtf8(bytes));
    }
}

void XmlWriter::endElement() {
    check(xmlTextWriterFullEndElement(m_writer));
}

void XmlWriter::endEmptyElement() {
    check(xmlTextWriterEndElement(m_writer));
}

void XmlWriter::finish() {
    check(xmlTextWriterEndDocument(m_writer));
    check(xmlTextWriterFlush(m_writer));
    m_sink(m_block);
    m_block.clear();
}

}  // namespace quorvia::exporting
