#include "model/PhoneDatabase.h"

#include <algorithm>

#include "model/DatabaseFile.h"
#include "model/FieldList.h"
#include "model/NodeRecord.h"
#include "platform/Files.h"

namespace quorvia::model {

std::string formatPhoneDatabase(const Tree& records) {
    // Sized first, so the bytes go once into one buffer on huge pages instead of a buffer
    // copied into fresh memory at every doubling.
    const Node* root = records.firstTopLevel();
    size_t size = 0;
    forEachWithLevel(records, [&](const Node& node, int level) {
        if (&node != root) {
            size += std::to_string(level).size() + 1 + node.text().size() + 2;
        }
    });
    std::string content;
    content.reserve(size);
    platform::preferHugePages(content);
    forEachWithLevel(records, [&](const Node& node, int level) {
        if (&node != root) {
            content.append(std::to_string(level)).append(";").append(node.text()).append("\r\n");
        }
    });
    return content;
}

std::optional<PhoneRecords> PhoneRecords::read(platform::TextLineReader& input) {
    FieldList fields;
    const std::string header(input.readLine());
    if (input.atEnd()) {
        return std::nullopt;
    }
    fields.split(header);
    PhoneRecords phone;
    phone.m_rootLine = std::string(fields.field(1));
    phone.m_databaseSize = static_cast<off_t>(phone.m_rootLine.size()) + 2;

    size_t previousLevel = 0;  // the root line's
    while (!input.atEnd()) {
        fields.split(input.readLine());
        const std::int32_t level = parseIntegerField(fields.field(0));
        const size_t start = phone.m_records.size();
        phone.m_records.append(fields.field(1))
            .append(";")
            .append(fields.field(2))
            .append(";")
            .append(fields.field(3));
        const std::string_view record = std::string_view(phone.m_records).substr(start);
        const auto written = static_cast<size_t>(std::max<std::int32_t>(level, 0));
        // A line nested deeper than the database file can hold is refused rather than written
        // as a file that cannot be loaded. The reader counts TABs and blanks opening the record
        // as levels too, so the line is checked as deep as the reader will see it.
        checkNesting(written, previousLevel, level, record);
        const size_t blanks = std::min(record.find_first_not_of("\t "), record.size());
        const size_t depth = written + blanks;
        checkNesting(depth, previousLevel, static_cast<int>(depth), record);
        phone.m_lines.emplace_back(static_cast<std::int32_t>(written), phone.m_records.size());
        phone.m_databaseSize += static_cast<off_t>(written + record.size() + 2);
        previousLevel = depth;
    }
    return phone;
}

void PhoneRecords::appendDatabaseLines(std::string& chunk, size_t& next, size_t limit) const {
    if (next == 0) {
        appendDatabaseLine(chunk, 0, m_rootLine);
    }
    size_t start = next > 0 ? m_lines[next - 1].second : 0;
    for (; next < m_lines.size() && chunk.size() < limit; ++next) {
        const auto [level, end] = m_lines[next];
        appendDatabaseLine(chunk, static_cast<size_t>(level),
                           std::string_view(m_records).substr(start, end - start));
        start = end;
    }
}

}  // namespace quorvia::model
