#include "import/TableImport.h"

#include <csv.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/ImportedNodes.h"
#include "import/ImportedText.h"
#include "import/TextImport.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"

namespace quorvia::importing {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Every row of a CSV file, each with the line it starts on.
struct CsvRows {
    std::vector<std::string> fields;
    std::vector<size_t> firstField;  // per row
    std::vector<int> line;           // per row
};

// Feeds libcsv a line at a time, so that each field knows the line it ends on.
class CsvReader final {
public:
    explicit CsvReader(unsigned char separator) {
        // Strict: a quote inside an unquoted field, or a quoted field never closed, is an error.
        if (csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
            throw std::bad_alloc();
        }
        csv_set_delim(&m_parser, separator);
        // Blanks and TABs around a field are part of it: nothing is trimmed.
        csv_set_space_func(&m_parser, [](unsigned char) { return 0; });
    }
    ~CsvReader() { csv_free(&m_parser); }
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // Reads `bytes`, stopping after the first row when asked. False at a parse error, on line
    // `errorLine`, or at a quoted field left open at the end, which begins on `errorLine`.
    bool read(std::string_view bytes, bool firstRowOnly) {
        for (size_t start = 0; start < bytes.size() && !(firstRowOnly && m_rowsEnded > 0);
             ++m_lineFed) {
            const size_t newline = bytes.find('\n', start);
            const size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
            if (csv_parse(&m_parser, bytes.data() + start, end - start, onField, onRowEnd, this) !=
                end - start) {
                return failed(m_lineFed, false);
            }
            start = end;
        }
        if (csv_fini(&m_parser, onField, onRowEnd, this) != 0) {
            // The field left open began as many lines back as it holds line feeds.
            const std::string_view open(reinterpret_cast<const char*>(m_parser.entry_buf),
                                        m_parser.entry_buf != nullptr ? m_parser.entry_pos : 0);
            return failed(1 + static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n') -
                                               std::count(open.begin(), open.end(), '\n')),
                          true);
        }
        return true;
    }

    CsvRows& rows() { return m_rows; }
    int errorLine() const { return m_errorLine; }
    bool openQuote() const { return m_openQuote; }

private:
    bool failed(int line, bool openQuote) {
        if (csv_error(&m_parser) == CSV_ENOMEM || csv_error(&m_parser) == CSV_ETOOBIG) {
            throw std::bad_alloc();
        }
        m_errorLine = line;
        m_openQuote = openQuote;
        return false;
    }

    static void onField(void* text, size_t length, void* self) {
        auto& reader = *static_cast<CsvReader*>(self);
        const std::string_view field(static_cast<const char*>(text), text ? length : 0);
        if (!reader.m_rowOpen) {
            reader.m_rowOpen = true;
            reader.m_rows.firstField.push_back(reader.m_rows.fields.size());
            // A field spanning lines began as many lines back as it holds line feeds.
            reader.m_rows.line.push_back(
                reader.m_lineFed - static_cast<int>(std::count(field.begin(), field.end(), '\n')));
        }
        reader.m_rows.fields.emplace_back(field);
    }

    static void onRowEnd(int, void* self) {
        auto& reader = *static_cast<CsvReader*>(self);
        reader.m_rowOpen = false;
        ++reader.m_rowsEnded;
    }

    csv_parser m_parser{};
    CsvRows m_rows;
    int m_lineFed = 1;
    int m_errorLine = 0;
    bool m_openQuote = false;
    bool m_rowOpen = false;
    int m_rowsEnded = 0;
};

// The separator the spreadsheet wrote: ";" when the first row has more fields cut at ";" than at
// ",", else ",".
unsigned char separatorOf(std::string_view bytes) {
    auto fieldsOfFirstRow = [&](unsigned char separator) {
        CsvReader reader(separator);
        return reader.read(bytes, true) ? reader.rows().fields.size() : 0;
    };
    return fieldsOfFirstRow(';') > fieldsOfFirstRow(',') ? ';' : ',';
}

std::string notCsvMessage(const std::string& path, const CsvReader& reader) {
    const std::string line = std::to_string(reader.errorLine());
    if (reader.openQuote()) {
        return "\"" + path + "\" ends inside a quoted field that begins on line " + line +
               ". Nothing was imported.";
    }
    return "Line " + line + " of \"" + path +
           "\" is not a table as spreadsheets write it (RFC 4180): a quote (\") stands where a "
           "field can hold none. Nothing was imported.";
}

// The file's rows with every field as the bytes of a record's field; nothing after a warning.
std::optional<CsvRows> readTable(const std::string& path, platform::UserPrompts& prompts,
                                 const platform::TextCodec& codec) {
    std::string content;
    platform::raiseOnFailure(platform::readWholeFile(path, content), platform::FileAction::Read);
    std::string_view text(content);
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    CsvReader reader(separatorOf(text));
    if (!reader.read(text, false)) {
        prompts.warn(notCsvMessage(path, reader));
        return std::nullopt;
    }
    CsvRows& rows = reader.rows();
    std::string refusal;
    std::string bytes;
    for (size_t row = 0; row < rows.firstField.size(); ++row) {
        const size_t end =
            row + 1 < rows.firstField.size() ? rows.firstField[row + 1] : rows.fields.size();
        for (size_t field = rows.firstField[row]; field < end; ++field) {
            bytes.clear();
            if (!appendRecordField(bytes, rows.fields[field], codec, path, rows.line[row],
                                   refusal)) {
                prompts.warn(refusal);
                return std::nullopt;
            }
            rows.fields[field].swap(bytes);
        }
    }
    return std::move(rows);
}

}  // namespace

void importCsvTable(model::PairedTrees& trees, platform::UserPrompts& prompts,
                    const platform::TextCodec& codec) {
    const auto chosen = chooseObjectSource(trees, prompts);
    if (!chosen) {
        return;
    }
    const model::NodePair parent = chosen->parent;
    model::Node* target = parent.display;
    const auto table = readTable(chosen->path, prompts, codec);
    if (!table) {
        return;
    }
    const size_t rowCount = table->firstField.size();
    auto rowEnd = [&](size_t row) {
        return row + 1 < rowCount ? table->firstField[row + 1] : table->fields.size();
    };
    if (rowCount == 0) {
        trees.setExpanded(target, true);
        return;
    }
    const std::vector<std::string> headers(
        table->fields.begin(), table->fields.begin() + static_cast<std::ptrdiff_t>(rowEnd(0)));
    const int nameColumn = prompts.chooseNameColumn(headers);
    if (nameColumn < 0) {
        return;
    }
    model::PairedTrees::Step step(trees);
    model::PairedTrees::BulkEdit edit(trees);
    ImportedNodes nodes(trees);
    for (size_t row = 1; row < rowCount; ++row) {
        const size_t first = table->firstField[row];
        if (rowEnd(row) - first == headers.size()) {
            nodes.appendObjectRow(parent, headers, nameColumn, [&](int column) {
                return std::string_view(table->fields[first + static_cast<size_t>(column)]);
            });
        }
    }
    trees.setExpanded(target, true);
}

}  // namespace quorvia::importing
