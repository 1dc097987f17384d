// The phone database file: a header line naming the root, then one "level;record" line per node
// below the root, in pre-order. Read here into database-file lines, and written from a tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Tree.h"
#include "platform/TextFiles.h"

namespace quorvia::model {

// The phone file's bytes for a record tree: from absolute index 1 on, level ";" record CR LF.
std::string formatPhoneDatabase(const Tree& records);

// A phone file read and checked, ready to be written as a database file.
class PhoneRecords final {
public:
    // Reads every "level;kind;name;value" line behind the header; nothing when there is no line
    // behind it. Raises the list index error of a line with too few fields and the invalid
    // level error of a line nested deeper than the database file can hold.
    static std::optional<PhoneRecords> read(platform::TextLineReader& input);

    // The size of the database file they make (its TABs grow with the square of the depth).
    off_t databaseSize() const { return m_databaseSize; }
    // Hands the database file's bytes to `write` in pieces of about a megabyte.
    template <typename Write>
    void writeDatabase(Write&& write) const;

private:
    PhoneRecords() = default;
    void appendDatabaseLines(std::string& chunk, size_t& next, size_t limit) const;

    std::string m_rootLine;
    std::string m_records;
    std::vector<std::pair<std::int32_t, size_t>> m_lines;  // written level, end in m_records
    off_t m_databaseSize = 0;
};

template <typename Write>
void PhoneRecords::writeDatabase(Write&& write) const {
    constexpr size_t kChunk = 1 << 20;
    std::string chunk;
    chunk.reserve(kChunk);
    size_t next = 0;
    do {
        chunk.clear();
        appendDatabaseLines(chunk, next, kChunk);
        write(std::string_view(chunk));
    } while (next < m_lines.size());
}

}  // namespace quorvia::model
