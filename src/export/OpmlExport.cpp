#include "export/OpmlExport.h"

#include "export/ExportedNodes.h"
#include "export/XmlWriter.h"

namespace quorvia::exporting {

namespace {

bool isPlainAscii(std::string_view text) {
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

// Writes outlines, one line each, indented by a TAB per level.
class OutlineWriter final {
public:
    OutlineWriter(const platform::TextCodec& codec, const XmlSink& sink)
        : m_codec(codec), m_xml(sink) {
        const std::string prefix = std::string(" ") + kOutlinePrefix + ":";
        m_icon = prefix + kIconAttribute + "=\"";
        m_name = prefix + kNameAttribute + "=\"";
        m_value = prefix + kValueAttribute + "=\"";
        m_record = prefix + kRecordAttribute + "=\"";
    }

    void start(const std::string& title) {
        m_xml.startDocument();
        m_xml.startElement("opml");
        m_xml.attribute("version", "2.0");
        m_xml.attribute(("xmlns:" + std::string(kOutlinePrefix)).c_str(), kOutlineNamespace);
        m_xml.raw("\n\t");
        m_xml.startElement("head");
        m_xml.raw("\n\t\t");
        m_xml.startElement("title");
        m_xml.text(title);
        m_xml.endElement();
        m_xml.raw("\n\t");
        m_xml.endElement();
        m_xml.raw("\n\t");
        m_xml.startElement("body");
    }

    // The outline of a pair at `level` below the body's children; one with children stays
    // open for them.
    bool open(const model::NodePair& pair, int level) {
        const std::string_view record = pair.record->text();
        const model::Node& display = *pair.display;
        m_line.assign("\n\t\t")
            .append(static_cast<size_t>(level), '\t')
            .append("<outline text=\"");
        const std::string_view shown = display.shownText(m_shown);
        m_xml.escape(m_line, shown, m_codec);
        m_line.push_back('"');
        if (!isAttribute(display)) {
            m_line.append(m_icon).append(std::to_string(display.iconIndex())).push_back('"');
            m_formed = model::objectRecord(shown, display.iconIndex());
        } else {
            const RecordParts parts = recordParts(record, false);
            m_line.append(m_name);
            m_xml.escape(m_line, parts.name, m_codec);
            m_line.append("\"").append(m_value);
            m_xml.escape(m_line, parts.value, m_codec);
            m_line.push_back('"');
            model::formAttributeRecord(m_formed, parts.name, parts.value);
        }
        // The reader forms the record again from the attributes above; where that would not
        // give these very bytes in every code page (or would take a ";" for a boundary), they
        // go along.
        if (m_formed != record || !isPlainAscii(record) || hasSemicolonInside(record)) {
            m_line.append(m_record);
            m_xml.escape(m_line, escapeRecord(record));
            m_line.push_back('"');
        }
        m_line.append(display.hasChildren() ? ">" : "/>");
        m_xml.raw(m_line);
        return display.hasChildren();
    }

    void close(int level) {
        m_line.assign("\n\t\t").append(static_cast<size_t>(level), '\t').append("</outline>");
        m_xml.raw(m_line);
    }

    void finish() {
        m_xml.raw("\n\t");
        m_xml.endElement();
        m_xml.raw("\n");
        m_xml.finish();
    }

private:
    const platform::TextCodec& m_codec;
    XmlWriter m_xml;
    std::string m_icon, m_name, m_value, m_record;
    std::string m_line;
    std::string m_formed;
    std::string m_shown;  // where a display text is formed
};

}  // namespace

std::string escapeRecord(std::string_view record) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(record.size());
    for (const char c : record) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '%') {
            escaped.push_back('%');
            escaped.push_back(kDigits[byte >> 4]);
            escaped.push_back(kDigits[byte & 0x0F]);
        } else {
            escaped.push_back(c);
        }
    }
    return escaped;
}

std::optional<std::string> unescapeRecord(std::string_view escaped) {
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    std::string record;
    record.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '%') {
            record.push_back(escaped[i]);
            continue;
        }
        const int high = i + 1 < escaped.size() ? digit(escaped[i + 1]) : -1;
        const int low = i + 2 < escaped.size() ? digit(escaped[i + 2]) : -1;
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        record.push_back(static_cast<char>(high << 4 | low));
        i += 2;
    }
    return record;
}

void writeOutline(const model::NodePair& top, const platform::TextCodec& codec,
                  const XmlSink& sink) {
    OutlineWriter writer(codec, sink);
    writer.start(platform::toUtf8(codec, top.display->shownText()));
    writeNested([&](auto&& visit) { forEachPairBelow(top, visit); }, writer);
    writer.finish();
}

std::string formatOutline(const model::NodePair& top, const platform::TextCodec& codec) {
    std::string outline;
    writeOutline(top, codec, [&](std::string_view bytes) { outline.append(bytes); });
    return outline;
}

void exportOutline(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec) {
    const auto path = prompts.chooseFileToSave();
    const model::NodePair top = exportedNode(trees);
    if (path && top) {
        ExportFile file(*path);
        writeOutline(top, codec, [&](std::string_view bytes) { file.write(bytes); });
        file.commit();
    }
}

}  // namespace quorvia::exporting
