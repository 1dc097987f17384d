#include "export/TableExport.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/ExportedNodes.h"
#include "platform/TextFiles.h"

namespace quorvia::exporting {

namespace {

constexpr std::string_view kCsvExtension = ".csv";

// The rows before they are written: per row its name and its cells, each a column and a value.
class TableBuilder final {
public:
    struct Cell {
        size_t column;
        std::string_view value;
    };
    struct Row {
        std::string_view name;
        size_t firstCell;
    };

    void startRow(std::string_view name) {
        m_rows.push_back({name, m_cells.size()});
        m_seenInRow.clear();
    }

    void addCell(std::string_view name, std::string_view value) {
        // The k-th attribute of a name in this row goes under the k-th column of that name.
        const size_t occurrence = m_seenInRow[name]++;
        std::vector<size_t>& columns = m_columnsByName[name];
        if (occurrence == columns.size()) {
            columns.push_back(m_headers.size());
            m_headers.push_back(name);
        }
        m_cells.push_back({columns[occurrence], value});
    }

    // Calls line(fields) for the header and then every row, fields in column order.
    template <typename Line>
    void forEachLine(Line&& line) const {
        std::vector<std::string_view> fields;
        fields.push_back(kNameColumn);
        fields.insert(fields.end(), m_headers.begin(), m_headers.end());
        line(fields);
        for (size_t row = 0; row < m_rows.size(); ++row) {
            std::fill(fields.begin(), fields.end(), std::string_view());
            fields[0] = m_rows[row].name;
            const size_t end =
                row + 1 < m_rows.size() ? m_rows[row + 1].firstCell : m_cells.size();
            for (size_t cell = m_rows[row].firstCell; cell < end; ++cell) {
                fields[m_cells[cell].column + 1] = m_cells[cell].value;
            }
            line(fields);
        }
    }

private:
    std::vector<std::string_view> m_headers;
    std::unordered_map<std::string_view, std::vector<size_t>> m_columnsByName;
    std::unordered_map<std::string_view, size_t> m_seenInRow;
    std::vector<Row> m_rows;
    std::vector<Cell> m_cells;
};

std::string semicolonRefusal(const model::Node& display, std::string_view record,
                             const platform::TextCodec& codec) {
    const bool object = !isAttribute(display);
    const RecordParts parts = recordParts(record, object);
    std::string shown = platform::toUtf8(codec, parts.name);
    if (!object) {
        shown.append(": ").append(platform::toUtf8(codec, parts.value));
    }
    return std::string(object ? "The object \"" : "The attribute \"") + shown +
           "\" holds a semicolon (\";\"), which separates the fields of the table: the object "
           "import would split the text there. Nothing was written.";
}

// A CSV field: quoted by libcsv when it holds the separator, a quote or a line end, and when
// it is the one field of its line and empty, which would otherwise make an empty line.
void appendCsvField(std::string& bytes, std::string_view field, bool alone) {
    const bool quoted =
        field.find_first_of(",\"\r\n") != std::string_view::npos || (alone && field.empty());
    if (!quoted) {
        bytes.append(field);
        return;
    }
    const size_t start = bytes.size();
    bytes.resize(start + csv_write(nullptr, 0, field.data(), field.size()));
    csv_write(bytes.data() + start, bytes.size() - start, field.data(), field.size());
}

}  // namespace

TableFormat tableFormatOf(const std::string& path) {
    if (path.size() < kCsvExtension.size()) {
        return TableFormat::Semicolons;
    }
    std::string ending = path.substr(path.size() - kCsvExtension.size());
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == kCsvExtension ? TableFormat::Csv : TableFormat::Semicolons;
}

Table formatTable(const model::NodePair& top, TableFormat format,
                  const platform::TextCodec& codec) {
    Table table;
    const bool semicolons = format == TableFormat::Semicolons;
    auto refuses = [&](const model::NodePair& pair) {
        if (semicolons && hasSemicolonInside(pair.record->text())) {
            table.refused = pair;
            table.refusal = semicolonRefusal(*pair.display, pair.record->text(), codec);
        }
        return static_cast<bool>(table.refused);
    };

    TableBuilder builder;
    for (model::NodePair row = firstChildOf(top); row; row = nextSiblingOf(row)) {
        if (isAttribute(*row.display)) {
            continue;
        }
        if (refuses(row)) {
            return table;
        }
        builder.startRow(recordParts(row.record->text(), true).name);
        for (model::NodePair cell = firstChildOf(row); cell; cell = nextSiblingOf(cell)) {
            if (!isAttribute(*cell.display)) {
                continue;
            }
            if (refuses(cell)) {
                return table;
            }
            const RecordParts parts = recordParts(cell.record->text(), false);
            builder.addCell(parts.name, parts.value);
        }
    }

    std::string decoded;
    builder.forEachLine([&](const std::vector<std::string_view>& fields) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (semicolons) {
                table.bytes.append(i > 0 ? ";" : "").append(fields[i]);
                continue;
            }
            table.bytes.append(i > 0 ? "," : "");
            decoded = platform::toUtf8(codec, fields[i]);
            appendCsvField(table.bytes, decoded, fields.size() == 1);
        }
        table.bytes.append("\r\n");
    });
    return table;
}

void exportTable(model::PairedTrees& trees, platform::UserPrompts& prompts,
                 const platform::TextCodec& codec) {
    const auto path = prompts.chooseFileToSave();
    const model::NodePair top = exportedNode(trees);
    if (!path || !top) {
        return;
    }
    const Table table = formatTable(top, tableFormatOf(*path), codec);
    if (table.refused) {
        trees.showPair(table.refused);
        prompts.warn(table.refusal);
        return;
    }
    platform::writeTextFile(*path, table.bytes);
}

}  // namespace quorvia::exporting
