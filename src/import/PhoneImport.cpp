#include "import/PhoneImport.h"

#include "model/PhoneDatabase.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"
#include "platform/TextFiles.h"

namespace quorvia::importing {

using platform::FileAction;
using platform::raiseOnFailure;

PhoneConversion convertPhoneDatabase(const std::string& source, const std::string& target) {
    // The target is created before the source is opened, as a temporary beside it.
    platform::FileReplacement replacement(target);
    raiseOnFailure(replacement.create(), FileAction::Create);
    platform::TextLineReader input = platform::openTextFile(source);
    if (const int line = input.firstLineWithNul(); line > 0) {
        throw Error(platform::nulLineMessage(source, line));
    }

    // Every line is read and checked first, so that the size of the file is known: a file
    // nested deep enough to need more room than the disk has fails at once instead of after
    // filling the disk.
    const auto phone = model::PhoneRecords::read(input);
    if (!phone) {
        raiseOnFailure(replacement.commit(), FileAction::Create);
        return PhoneConversion::NothingAfterHeader;
    }
    raiseOnFailure(replacement.reserve(phone->databaseSize()), FileAction::Create);
    phone->writeDatabase([&](std::string_view chunk) {
        raiseOnFailure(replacement.write(chunk), FileAction::Create);
    });
    raiseOnFailure(replacement.commit(), FileAction::Create);
    return PhoneConversion::Converted;
}

}  // namespace quorvia::importing
