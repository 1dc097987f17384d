#include "import/OpmlImport.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <deque>
#include <memory>
#include <new>
#include <optional>

#include "editing/Containment.h"
#include "editing/PastedRecords.h"
#include "export/OpmlExport.h"
#include "import/ImportedText.h"
#include "model/NodeRecord.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"

namespace quorvia::importing {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;
constexpr const char* kNothingImported = " Nothing was imported.";
constexpr std::int32_t kOtherOutlinersIcon = 0;

std::string_view textOf(const xmlChar* text) {
    return text != nullptr ? std::string_view(reinterpret_cast<const char*>(text))
                           : std::string_view();
}

bool is(const xmlChar* name, const xmlChar* uri, const char* wanted, const char* wantedUri) {
    return textOf(name) == wanted &&
           textOf(uri) ==
               textOf(reinterpret_cast<const xmlChar*>(wantedUri != nullptr ? wantedUri : ""));
}

// Nothing outside the chosen file is ever read: no DTD, no entity, no network.
xmlParserInputPtr loadNothing(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}
void ignoreMessage(void*, const char*, ...) {}

void prepareLibrary() {
    static const bool prepared = [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(loadNothing);
        xmlSetGenericErrorFunc(nullptr, ignoreMessage);
        return true;
    }();
    (void)prepared;
}

// An icon index as the writer writes it: decimal digits, a "-" in front at most, 32 bits.
std::optional<std::int32_t> iconIndexOf(std::string_view text) {
    const std::string_view digits = text.substr(!text.empty() && text[0] == '-' ? 1 : 0);
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const long long value = std::stoll(std::string(text));
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// The document the parser may have begun for a DTD is the caller's to free.
struct FreeContext {
    void operator()(xmlParserCtxtPtr context) const {
        xmlFreeDoc(context->myDoc);
        xmlFreeParserCtxt(context);
    }
};

// The parse, as libxml2's SAX callbacks tell it.
class OutlineReader final {
public:
    OutlineReader(const std::string& path, const platform::TextCodec& codec)
        : m_path(path), m_codec(codec) {}

    OutlineRecords read(std::string_view content) {
        prepareLibrary();
        xmlSAXHandler sax{};
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = startElement;
        sax.endElementNs = endElement;
        sax.entityDecl = declaresEntity;
        sax.serror = failed;
        if (content.empty()) {
            refuse("\"" + m_path + "\" is not an outline (OPML): it is empty." + kNothingImported);
            return std::move(m_result);
        }
        m_context.reset(xmlCreatePushParserCtxt(&sax, this, nullptr, 0, m_path.c_str()));
        if (!m_context) {
            throw std::bad_alloc();
        }
        (void)xmlCtxtUseOptions(m_context.get(), XML_PARSE_NONET);
        m_interned = Interned(m_context->dict);
        // The records take about half the file's bytes: the markup and the shown texts go.
        m_result.bytes.reserve(content.size() / 2);
        for (std::size_t at = 0; at < content.size() && m_result.refusal.empty(); at += kPiece) {
            const std::size_t length = std::min(kPiece, content.size() - at);
            (void)xmlParseChunk(m_context.get(), content.data() + at, static_cast<int>(length), 0);
        }
        if (m_result.refusal.empty()) {
            (void)xmlParseChunk(m_context.get(), nullptr, 0, 1);
        }
        if (m_result.refusal.empty() && !m_context->wellFormed) {
            refuse("\"" + m_path + "\" is not well-formed XML." + kNothingImported);
        }
        if (m_result.refusal.empty() && !m_sawBody) {
            refuse("\"" + m_path + "\" is not an outline (OPML): it holds no <body>." +
                   kNothingImported);
        }
        if (!m_result.refusal.empty()) {
            m_result.lines.clear();
            m_result.bytes.clear();
        }
        return std::move(m_result);
    }

private:
    enum class Place { BeforeRoot, InOpml, InBody, AfterRoot };

    static OutlineReader& of(void* self) { return *static_cast<OutlineReader*>(self); }

    int line() const { return xmlSAX2GetLineNumber(m_context.get()); }
    std::string lineOf() const {
        return "Line " + std::to_string(line()) + " of \"" + m_path + "\"";
    }

    void refuse(std::string message) {
        if (m_result.refusal.empty()) {
            m_result.refusal = std::move(message);
            if (m_context) {
                xmlStopParser(m_context.get());
            }
        }
    }

    static void failed(void* self, xmlErrorPtr error) {
        if (error == nullptr || error->level < XML_ERR_ERROR) {
            return;
        }
        std::string message = error->message != nullptr ? error->message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        OutlineReader& reader = of(self);
        reader.refuse("\"" + reader.m_path + "\" is not well-formed XML: line " +
                      std::to_string(error->line) + ": " + message + "." + kNothingImported);
    }

    static void declaresEntity(void* self, const xmlChar*, int, const xmlChar*, const xmlChar*,
                               xmlChar*) {
        OutlineReader& reader = of(self);
        reader.refuse(reader.lineOf() +
                      " declares an entity, which no outline needs and which could make the "
                      "file grow without end." +
                      kNothingImported);
    }

    static void startElement(void* self, const xmlChar* name, const xmlChar*, const xmlChar* uri,
                             int, const xmlChar**, int attributeCount, int,
                             const xmlChar** attributes) {
        OutlineReader& reader = of(self);
        if (!reader.m_result.refusal.empty()) {
            return;
        }
        if (reader.m_ignored > 0) {
            ++reader.m_ignored;
        } else if (reader.m_place == Place::BeforeRoot) {
            if (!is(name, uri, "opml", nullptr)) {
                reader.refuse("\"" + reader.m_path + "\" is not an outline (OPML): line " +
                              std::to_string(reader.line()) + " begins it with <" +
                              std::string(textOf(name)) + "> instead of <opml>." +
                              kNothingImported);
                return;
            }
            reader.m_place = Place::InOpml;
        } else if (reader.m_place == Place::InOpml && is(name, uri, "body", nullptr)) {
            reader.m_place = Place::InBody;
            reader.m_sawBody = true;
        } else if (reader.m_place == Place::InBody && is(name, uri, "outline", nullptr)) {
            reader.outline(attributeCount, attributes);
        } else {
            // The head, and anything that is not an outline, says nothing of the nodes.
            reader.m_ignored = 1;
        }
    }

    static void endElement(void* self, const xmlChar*, const xmlChar*, const xmlChar*) {
        OutlineReader& reader = of(self);
        if (reader.m_ignored > 0) {
            --reader.m_ignored;
        } else if (reader.m_place == Place::InBody) {
            if (reader.m_level > 0) {
                --reader.m_level;
            } else {
                reader.m_place = Place::InOpml;
            }
        } else if (reader.m_place == Place::InOpml) {
            reader.m_place = Place::AfterRoot;
        }
    }

    // An attribute's value as the parser gives it: character references are left for the
    // reader to replace (the five predefined entities among them; no other can be declared).
    std::string_view valueOf(const xmlChar* begin, const xmlChar* end) {
        const std::string_view raw(reinterpret_cast<const char*>(begin),
                                   static_cast<std::size_t>(end - begin));
        if (raw.find('&') == std::string_view::npos) {
            return raw;
        }
        xmlChar* decoded = xmlStringLenDecodeEntities(
            m_context.get(), begin, static_cast<int>(end - begin), XML_SUBSTITUTE_REF, 0, 0, 0);
        if (decoded == nullptr) {
            throw std::bad_alloc();
        }
        m_decoded.emplace_back(reinterpret_cast<const char*>(decoded));
        xmlFree(decoded);
        return m_decoded.back();
    }

    // One outline: Quorvia's own attributes give the record, else its text names an object.
    void outline(int count, const xmlChar** attributes) {
        m_decoded.clear();
        if (m_level >= kDeepestOutline) {
            refuse(lineOf() + " nests outlines more than " + std::to_string(kDeepestOutline) +
                   " levels deep." + kNothingImported);
            return;
        }
        std::optional<std::string_view> text, note, icon, name, value, record;
        for (int i = 0; i < count; ++i) {
            const xmlChar* const* attribute = attributes + 5 * i;
            const xmlChar* const attributeName = attribute[0];
            std::optional<std::string_view>* slot = &m_unused;
            if (attribute[2] == m_interned.outlineNamespace) {
                slot = attributeName == m_interned.icon     ? &icon
                       : attributeName == m_interned.name   ? &name
                       : attributeName == m_interned.value  ? &value
                       : attributeName == m_interned.record ? &record
                                                            : slot;
            } else if (attribute[2] == nullptr) {
                slot = attributeName == m_interned.text   ? &text
                       : attributeName == m_interned.note ? &note
                                                          : slot;
            }
            if (slot != &m_unused) {
                *slot = valueOf(attribute[3], attribute[4]);
            }
        }
        const bool written = record          ? addOwnRecord(*record)
                             : icon          ? addObject(text.value_or(""), *icon)
                             : name || value ? addAttribute(name.value_or(""), value.value_or(""))
                                             : addOtherOutlinersNode(text.value_or(""), note);
        if (written) {
            ++m_level;
        }
    }

    bool addOwnRecord(std::string_view escaped) {
        const auto record = exporting::unescapeRecord(escaped);
        if (!record || record->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            refuse(lineOf() + " holds a record Quorvia cannot have written (\"" +
                   std::string(escaped) + "\")." + kNothingImported);
            return false;
        }
        begin(m_level).append(*record);
        return end();
    }

    bool addObject(std::string_view text, std::string_view iconText) {
        const auto iconIndex = iconIndexOf(iconText);
        if (!iconIndex) {
            refuse(lineOf() + " gives the icon index \"" + std::string(iconText) +
                   "\", which is no number." + kNothingImported);
            return false;
        }
        begin(m_level).append("O;");
        return field(text) && end(";" + std::to_string(*iconIndex));
    }

    bool addAttribute(std::string_view name, std::string_view value) {
        begin(m_level).append("T;");
        return field(name) && piece(";") && field(value) && end();
    }

    bool addOtherOutlinersNode(std::string_view text, std::optional<std::string_view> note) {
        begin(m_level).append("O;");
        if (!field(text) || !end(";0")) {
            return false;
        }
        if (note) {
            begin(m_level + 1).append("T;").append(kNoteAttribute).append(";");
            return field(*note) && end();
        }
        return true;
    }

    // A record is formed in place behind the ones before it: begin(), its pieces, end().
    std::string& begin(int level) {
        m_result.lines.push_back({level, m_result.bytes.size(), 0});
        return m_result.bytes;
    }
    bool piece(std::string_view text) {
        m_result.bytes.append(text);
        return true;
    }
    bool end(std::string_view last = {}) {
        m_result.bytes.append(last);
        m_result.lines.back().length = m_result.bytes.size() - m_result.lines.back().offset;
        return true;
    }

    bool field(std::string_view text) {
        std::string refusal;
        if (!appendRecordField(m_result.bytes, text, m_codec, m_path, line(), refusal)) {
            refuse(refusal);
            return false;
        }
        return true;
    }

    const std::string& m_path;
    const platform::TextCodec& m_codec;
    std::unique_ptr<xmlParserCtxt, FreeContext> m_context;
    OutlineRecords m_result;
    Place m_place = Place::BeforeRoot;
    bool m_sawBody = false;
    int m_ignored = 0;  // depth inside an element that says nothing of the nodes
    int m_level = 0;    // outlines open around the next one
    std::optional<std::string_view> m_unused;
    // The parser gives every name and namespace as one pointer of its dictionary per text, so
    // the names that matter are told apart by their pointers.
    struct Interned {
        Interned() = default;
        explicit Interned(xmlDictPtr dict)
            : text(lookUp(dict, "text")),
              note(lookUp(dict, "_note")),
              icon(lookUp(dict, exporting::kIconAttribute)),
              name(lookUp(dict, exporting::kNameAttribute)),
              value(lookUp(dict, exporting::kValueAttribute)),
              record(lookUp(dict, exporting::kRecordAttribute)),
              outlineNamespace(lookUp(dict, exporting::kOutlineNamespace)) {}
        static const xmlChar* lookUp(xmlDictPtr dict, const char* text) {
            const xmlChar* interned =
                xmlDictLookup(dict, reinterpret_cast<const xmlChar*>(text), -1);
            if (interned == nullptr) {
                throw std::bad_alloc();
            }
            return interned;
        }
        const xmlChar* text = nullptr;
        const xmlChar* note = nullptr;
        const xmlChar* icon = nullptr;
        const xmlChar* name = nullptr;
        const xmlChar* value = nullptr;
        const xmlChar* record = nullptr;
        const xmlChar* outlineNamespace = nullptr;
    } m_interned;
    std::deque<std::string> m_decoded;  // the decoded values of the outline being read
};

}  // namespace

OutlineRecords readOutline(std::string_view content, const std::string& path,
                           const platform::TextCodec& codec) {
    return OutlineReader(path, codec).read(content);
}

void importOutline(model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec) {
    model::Node* target = trees.display().selected();
    if (!editing::mayPasteInto(target, nullptr)) {
        prompts.warn(editing::kContainmentWarning);
        return;
    }
    const auto path = prompts.chooseFileToOpen();
    if (!path) {
        return;
    }
    if (const auto identity = platform::fileIdentity(*path);
        identity && static_cast<std::size_t>(identity->size) > kLargestOutline) {
        prompts.warn("\"" + *path + "\" holds " + std::to_string(identity->size >> 20) +
                     " MB, more than the " + std::to_string(kLargestOutline >> 20) +
                     " MB an outline may have." + kNothingImported);
        return;
    }
    std::string content;
    platform::raiseOnFailure(platform::readWholeFile(*path, content), platform::FileAction::Read);
    const OutlineRecords outline = readOutline(content, *path, codec);
    content = std::string();
    if (!outline.refusal.empty()) {
        prompts.warn(outline.refusal);
        return;
    }
    if (outline.lines.empty()) {
        return;
    }

    editing::PastedRecords pasted(trees, target);
    for (const OutlineRecords::Line& line : outline.lines) {
        pasted.append(static_cast<std::size_t>(line.level),
                      std::string_view(outline.bytes.data() + line.offset, line.length));
    }
    pasted.showFirst();
}

}  // namespace quorvia::importing
