#include "import/PhoneImport.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/DatabaseFile.h"
#include "model/NodeRecord.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"
#include "platform/TextFiles.h"

namespace quorvia::importing {

namespace {

void raiseOnFailure(int errnoValue, platform::FileAction action) {
    if (errnoValue != 0) {
        throw platform::textFileError(errnoValue, action);
    }
}

}  // namespace

PhoneConversion convertPhoneDatabase(model::FieldList& fields, const std::string& source,
                                     const std::string& target) {
    // The target is created before the source is opened, as a temporary beside it.
    platform::FileReplacement replacement(target);
    raiseOnFailure(replacement.create(), platform::FileAction::Create);
    platform::TextLineReader input = platform::openTextFile(source);

    const std::string header(input.readLine());
    if (input.atEnd()) {
        raiseOnFailure(replacement.commit(), platform::FileAction::Create);
        return PhoneConversion::NothingAfterHeader;
    }
    fields.split(header);
    const std::string rootLine(fields.field(1));

    // First every line is read and checked, so that the size of the file is known: a file
    // nested deep enough to need more room than the disk has (its TABs grow with the square of
    // the depth) fails at once instead of after filling the disk.
    std::string records;
    std::vector<std::pair<std::int32_t, size_t>> lines;  // written level, end in `records`
    std::int32_t previousLevel = 0;                      // the root line's
    off_t size = static_cast<off_t>(rootLine.size()) + 2;
    while (!input.atEnd()) {
        fields.split(input.readLine());
        const std::int32_t level = model::parseIntegerField(fields.field(0));
        const size_t start = records.size();
        records.append(fields.field(1))
            .append(";")
            .append(fields.field(2))
            .append(";")
            .append(fields.field(3));
        const std::string_view record = std::string_view(records).substr(start);
        const std::int32_t written = std::max<std::int32_t>(level, 0);
        // A line nested deeper than the database file can hold is refused rather than written
        // as a file that cannot be loaded.
        if (written > previousLevel + 1) {
            throw model::invalidLevelError(level, record);
        }
        // The reader counts TABs and blanks opening the record as levels too, so the line is
        // as deep as the reader will see it.
        const size_t blanks = std::min(record.find_first_not_of("\t "), record.size());
        const size_t depth = static_cast<size_t>(written) + blanks;
        if (depth > static_cast<size_t>(previousLevel) + 1) {
            throw model::invalidLevelError(static_cast<int>(depth), record);
        }
        lines.emplace_back(written, records.size());
        size += written + static_cast<off_t>(record.size()) + 2;
        previousLevel = static_cast<std::int32_t>(depth);
    }
    raiseOnFailure(replacement.reserve(size), platform::FileAction::Create);

    constexpr size_t kChunk = 1 << 20;
    std::string chunk;
    chunk.reserve(kChunk);
    chunk.append(rootLine).append("\r\n");
    size_t start = 0;
    for (const auto& [level, end] : lines) {
        chunk.append(static_cast<size_t>(level), '\t');
        chunk.append(records, start, end - start).append("\r\n");
        start = end;
        if (chunk.size() >= kChunk) {
            raiseOnFailure(replacement.write(chunk), platform::FileAction::Create);
            chunk.clear();
        }
    }
    raiseOnFailure(replacement.write(chunk), platform::FileAction::Create);
    raiseOnFailure(replacement.commit(), platform::FileAction::Create);
    return PhoneConversion::Converted;
}

}  // namespace quorvia::importing
