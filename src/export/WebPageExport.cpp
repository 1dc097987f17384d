#include "export/WebPageExport.h"

#include "export/ExportedNodes.h"
#include "export/XmlWriter.h"

namespace quorvia::exporting {

namespace {

// As the window draws the tree: bold, attributes in blue, 19 pixels of indentation per level,
// a picture of 16 x 16 before each object that has one, no expand button where there is
// nothing to open, and an attribute's text where its sibling objects' pictures begin. On paper
// the buttons go, every line keeps its indentation and no line is cut by a page.
constexpr const char* kStyle = R"(
body { font: bold 13px sans-serif; margin: 8px; }
ul { list-style: none; margin: 0; padding-left: 19px; }
ul.tree { padding-left: 0; }
li { margin: 0; }
summary { cursor: default; }
summary, li.attribute { line-height: 18px; white-space: pre; break-inside: avoid; }
li.attribute, details.leaf > summary { padding-left: 15px; }
details.leaf > summary { list-style: none; }
details.leaf > summary::-webkit-details-marker { display: none; }
summary::before { display: inline-block; width: 16px; height: 16px; margin-right: 3px;
  vertical-align: -3px; }
.attribute { color: #0000ff; }
@media print {
  details > summary { list-style: none; padding-left: 15px; }
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

// Writes the list, a node's line each: an attribute "<li class=attribute>", an object a
// <details> whose <summary> is its line, and whose children follow in a nested list.
class PageWriter final {
public:
    PageWriter(const platform::TextCodec& codec, const PagePictures& pictures, const XmlSink& sink)
        : m_codec(codec), m_pictures(pictures), m_xml(sink) {}

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

    // Writes a node's line at `level`; a node with children stays open for them.
    bool open(const model::Node& node, int level) {
        m_line.assign("\n").append(static_cast<size_t>(level), '\t');
        if (isAttribute(node) && !node.hasChildren()) {
            m_line.append("<li class=\"attribute\">");
            m_xml.escape(m_line, node.shownText(m_shown), m_codec);
            m_xml.raw(m_line.append("</li>"));
            return false;
        }
        m_line.append(node.hasChildren() ? "<li><details open=\"\"><summary"
                                         : "<li><details open=\"\" class=\"leaf\"><summary");
        const int picture = m_pictures.numberOf ? m_pictures.numberOf(node.iconIndex()) : -1;
        if (isAttribute(node)) {
            m_line.append(" class=\"attribute\"");  // one that holds nodes, as a file can make
        } else if (picture >= 0 && static_cast<size_t>(picture) < m_pictures.png.size() &&
                   !m_pictures.png[static_cast<size_t>(picture)].empty()) {
            m_line.append(" class=\"picture").append(std::to_string(picture)).append("\"");
        }
        m_line.push_back('>');
        m_xml.escape(m_line, node.shownText(m_shown), m_codec);
        m_xml.raw(
            m_line.append(node.hasChildren() ? "</summary><ul>" : "</summary></details></li>"));
        return node.hasChildren();
    }

    // Closes an object left open for its children: their list, its details and its line.
    void close(int level) {
        m_line.assign("\n").append(static_cast<size_t>(level), '\t');
        m_xml.raw(m_line.append("</ul></details></li>"));
    }

    void finish() { m_xml.finish(); }

private:
    const platform::TextCodec& m_codec;
    const PagePictures& m_pictures;
    XmlWriter m_xml;
    std::string m_line;
    std::string m_shown;  // where a display text is formed
};

}  // namespace

void writeWebPage(const model::Tree& display, const model::Node* top,
                  const platform::TextCodec& codec, const PagePictures& pictures,
                  const XmlSink& sink) {
    const model::Node* first = top != nullptr ? top : display.firstTopLevel();
    PageWriter writer(codec, pictures, sink);
    writer.start(first != nullptr ? platform::toUtf8(codec, first->shownText()) : std::string());
    writeNested([&](auto&& visit) { model::forEachWithLevelFrom(first, top, visit); }, writer);
    writer.finish();
}

void exportWebPage(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec, const PagePictures& pictures) {
    if (const auto path = prompts.chooseFileToSave()) {
        ExportFile file(*path);
        writeWebPage(trees.display(), trees.display().selected(), codec, pictures,
                     [&](std::string_view bytes) { file.write(bytes); });
        file.commit();
    }
}

}  // namespace quorvia::exporting
