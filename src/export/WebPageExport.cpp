#include "export/WebPageExport.h"

#include "export/ExportedNodes.h"
#include "export/XmlWriter.h"
#include "platform/TextFiles.h"

namespace quorvia::exporting {

namespace {

// As the window draws the tree: bold, attributes in blue, 19 pixels of indentation per level,
// a picture of 16 x 16 before each object that has one, and no expand button where there is
// nothing to open. On paper every line keeps its indentation and no line is cut by a page.
constexpr const char* kStyle = R"(
body { font: bold 13px sans-serif; margin: 8px; }
ul { list-style: none; margin: 0; padding-left: 19px; }
ul.tree { padding-left: 0; }
li { margin: 0; }
summary { cursor: default; }
summary, li.attribute { line-height: 18px; white-space: pre; break-inside: avoid; }
details.leaf > summary { list-style: none; padding-left: 1em; }
details.leaf > summary::-webkit-details-marker { display: none; }
summary::before { display: inline-block; width: 16px; height: 16px; margin-right: 3px;
  vertical-align: -3px; }
.attribute { color: #0000ff; }
@media print {
  details > summary { list-style: none; padding-left: 1em; }
  details > summary::-webkit-details-marker { display: none; }
}
)";

std::string base64(std::string_view bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const auto byte = [&](size_t k) {
            return k < left ? static_cast<unsigned>(static_cast<unsigned char>(bytes[i + k])) : 0u;
        };
        const unsigned group = byte(0) << 16 | byte(1) << 8 | byte(2);
        encoded.push_back(kAlphabet[group >> 18 & 63]);
        encoded.push_back(kAlphabet[group >> 12 & 63]);
        encoded.push_back(left > 1 ? kAlphabet[group >> 6 & 63] : '=');
        encoded.push_back(left > 2 ? kAlphabet[group & 63] : '=');
    }
    return encoded;
}

// One rule per picture, so that each is embedded once however many objects show it.
std::string pictureRules(const PagePictures& pictures) {
    std::string rules;
    for (size_t number = 0; number < pictures.png.size(); ++number) {
        if (!pictures.png[number].empty()) {
            rules.append("summary.picture").append(std::to_string(number));
            rules.append("::before { content: url(data:image/png;base64,");
            rules.append(base64(pictures.png[number])).append("); }\n");
        }
    }
    return rules;
}

class PageWriter final {
public:
    PageWriter(const platform::TextCodec& codec, const PagePictures& pictures)
        : m_codec(codec), m_pictures(pictures) {}

    void start(const std::string& title) {
        m_xml.doctype("html");
        m_xml.startElement("html");
        m_xml.startElement("head");
        m_xml.startElement("meta");
        m_xml.attribute("charset", "utf-8");
        m_xml.endEmptyElement();
        m_xml.startElement("title");
        m_xml.text(title);
        m_xml.endElement();
        m_xml.startElement("style");
        m_xml.raw(kStyle + pictureRules(m_pictures));
        m_xml.endElement();
        m_xml.endElement();
        m_xml.startElement("body");
        m_xml.startElement("ul");
        m_xml.attribute("class", "tree");
    }

    // Writes a node's line. A node with children stays open for them: true.
    bool open(const model::Node& node) {
        m_xml.startElement("li");
        m_text = platform::toUtf8(m_codec, node.text());
        if (isAttribute(node) && !node.hasChildren()) {
            m_xml.attribute("class", "attribute");
            m_xml.text(m_text);
            m_xml.endElement();
            return false;
        }
        m_xml.startElement("details");
        m_xml.attribute("open", "");
        if (!node.hasChildren()) {
            m_xml.attribute("class", "leaf");
        }
        m_xml.startElement("summary");
        const int picture = m_pictures.numberOf ? m_pictures.numberOf(node.iconIndex()) : -1;
        if (isAttribute(node)) {
            m_xml.attribute("class", "attribute");  // one that holds nodes, as a file can make
        } else if (picture >= 0 && static_cast<size_t>(picture) < m_pictures.png.size() &&
                   !m_pictures.png[static_cast<size_t>(picture)].empty()) {
            m_xml.attribute("class", "picture" + std::to_string(picture));
        }
        m_xml.text(m_text);
        m_xml.endElement();
        if (node.hasChildren()) {
            m_xml.startElement("ul");
            return true;
        }
        endObject();
        return false;
    }

    // Closes an object left open for its children: their list, its details and its line.
    void close() {
        m_xml.endElement();
        endObject();
    }

    std::string finish() { return m_xml.finish(); }

private:
    void endObject() {
        m_xml.endElement();
        m_xml.endElement();
    }

    const platform::TextCodec& m_codec;
    const PagePictures& m_pictures;
    XmlWriter m_xml;
    std::string m_text;
};

}  // namespace

std::string formatWebPage(const model::Tree& display, const model::Node* top,
                          const platform::TextCodec& codec, const PagePictures& pictures) {
    const model::Node* first = top != nullptr ? top : display.firstTopLevel();
    PageWriter writer(codec, pictures);
    writer.start(first != nullptr ? platform::toUtf8(codec, first->text()) : std::string());
    int open = 0;
    model::forEachWithLevelFrom(first, top, [&](const model::Node& node, int level) {
        for (; open > level; --open) {
            writer.close();
        }
        open += writer.open(node) ? 1 : 0;
    });
    return writer.finish();
}

void exportWebPage(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec, const PagePictures& pictures) {
    if (const auto path = prompts.chooseFileToSave()) {
        platform::writeTextFile(
            *path, formatWebPage(trees.display(), trees.display().selected(), codec, pictures));
    }
}

}  // namespace quorvia::exporting
