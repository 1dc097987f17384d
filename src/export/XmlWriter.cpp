#include "export/XmlWriter.h"

#include <libxml/xmlwriter.h>

#include <new>

#include "platform/Error.h"

namespace quorvia::exporting {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

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

}  // namespace

XmlWriter::XmlWriter() {
    // The writer owns the output buffer from here on and frees it with itself.
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(append, closeNothing, &m_output, nullptr);
    m_writer = output != nullptr ? xmlNewTextWriter(output) : nullptr;
    if (m_writer == nullptr) {
        throw std::bad_alloc();
    }
    (void)xmlTextWriterSetIndent(m_writer, 1);
    (void)xmlTextWriterSetIndentString(m_writer, xml("  "));
}

XmlWriter::~XmlWriter() {
    xmlFreeTextWriter(m_writer);
}

const char* XmlWriter::safe(std::string_view value) {
    m_buffer.clear();
    for (const char c : value) {
        if (isForbiddenControl(c)) {
            m_buffer.append(kReplacement);
        } else {
            m_buffer.push_back(c);
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

void XmlWriter::raw(std::string_view value) {
    m_buffer.assign(value);
    check(xmlTextWriterWriteRaw(m_writer, xml(m_buffer.c_str())));
}

void XmlWriter::endElement() {
    check(xmlTextWriterFullEndElement(m_writer));
}

void XmlWriter::endEmptyElement() {
    check(xmlTextWriterEndElement(m_writer));
}

std::string XmlWriter::finish() {
    check(xmlTextWriterEndDocument(m_writer));
    check(xmlTextWriterFlush(m_writer));
    return std::move(m_output);
}

}  // namespace quorvia::exporting
