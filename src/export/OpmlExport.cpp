#include "export/OpmlExport.h"

#include "export/ExportedNodes.h"
#include "export/XmlWriter.h"
#include "platform/TextFiles.h"

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

// Writes outlines with the prefixed names of Quorvia's own attributes formed once.
class OutlineWriter final {
public:
    explicit OutlineWriter(const platform::TextCodec& codec) : m_codec(codec) {
        const std::string prefix = std::string(kOutlinePrefix) + ":";
        m_icon = prefix + kIconAttribute;
        m_name = prefix + kNameAttribute;
        m_value = prefix + kValueAttribute;
        m_record = prefix + kRecordAttribute;
    }

    void start(const std::string& title) {
        m_xml.startDocument();
        m_xml.startElement("opml");
        m_xml.attribute("version", "2.0");
        m_xml.attribute(("xmlns:" + std::string(kOutlinePrefix)).c_str(), kOutlineNamespace);
        m_xml.startElement("head");
        m_xml.startElement("title");
        m_xml.text(title);
        m_xml.endElement();
        m_xml.endElement();
        m_xml.startElement("body");
    }

    // Opens the outline of a pair; it stays open for its children.
    void open(const model::NodePair& pair) {
        const std::string_view record = pair.record->text();
        const bool object = !isAttribute(*pair.display);
        m_xml.startElement("outline");
        m_xml.attribute("text", platform::toUtf8(m_codec, pair.display->text()));
        if (object) {
            m_number = std::to_string(pair.display->iconIndex());
            m_xml.attribute(m_icon.c_str(), m_number);
            m_formed = model::objectRecord(pair.display->text(), pair.display->iconIndex());
        } else {
            const RecordParts parts = recordParts(record, false);
            m_xml.attribute(m_name.c_str(), platform::toUtf8(m_codec, parts.name));
            m_xml.attribute(m_value.c_str(), platform::toUtf8(m_codec, parts.value));
            model::formAttributeRecord(m_formed, parts.name, parts.value);
        }
        // The reader forms the record again from the attributes above; where that would not
        // give these very bytes in every code page (or would take a ";" for a boundary), they
        // go along.
        if (m_formed != record || !isPlainAscii(record) || hasSemicolonInside(record)) {
            m_xml.attribute(m_record.c_str(), escapeRecord(record));
        }
    }

    void close() { m_xml.endEmptyElement(); }

    std::string finish() { return m_xml.finish(); }

private:
    const platform::TextCodec& m_codec;
    XmlWriter m_xml;
    std::string m_icon, m_name, m_value, m_record;
    std::string m_number;
    std::string m_formed;
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

std::string formatOutline(const model::NodePair& top, const platform::TextCodec& codec) {
    OutlineWriter writer(codec);
    writer.start(platform::toUtf8(codec, top.display->text()));
    int open = 0;
    forEachPairBelow(top, [&](const model::NodePair& pair, int level) {
        for (; open > level; --open) {
            writer.close();
        }
        writer.open(pair);
        ++open;
    });
    return writer.finish();
}

void exportOutline(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec) {
    const auto path = prompts.chooseFileToSave();
    const model::NodePair top = exportedNode(trees);
    if (path && top) {
        platform::writeTextFile(*path, formatOutline(top, codec));
    }
}

}  // namespace quorvia::exporting
