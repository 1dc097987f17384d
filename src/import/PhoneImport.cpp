#include "import/PhoneImport.h"

#include <algorithm>

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

    std::string output;
    fields.split(header);
    output.append(fields.field(1)).append("\r\n");
    std::int32_t previousLevel = 0;  // the root line's
    std::string record;
    while (!input.atEnd()) {
        fields.split(input.readLine());
        const std::int32_t level = model::parseIntegerField(fields.field(0));
        record.assign(fields.field(1))
            .append(";")
            .append(fields.field(2))
            .append(";")
            .append(fields.field(3));
        const std::int32_t written = std::max<std::int32_t>(level, 0);
        // A line nested deeper than the database file can hold is refused here rather than
        // written as a file that cannot be loaded (or as two billion TABs).
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
        output.append(static_cast<size_t>(written), '\t').append(record).append("\r\n");
        previousLevel = static_cast<std::int32_t>(depth);
    }
    raiseOnFailure(replacement.write(output), platform::FileAction::Create);
    raiseOnFailure(replacement.commit(), platform::FileAction::Create);
    return PhoneConversion::Converted;
}

}  // namespace quorvia::importing
