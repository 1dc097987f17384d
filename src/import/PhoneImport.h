// The conversion of a phone database file (a header line naming the root, then
// "level;kind;name;value" lines) into a database file.
#pragma once

#include <string>

namespace quorvia::importing {

enum class PhoneConversion {
    Converted,
    // Nothing after the header line: the target is left empty and nothing is opened.
    NothingAfterHeader,
};

// Converts `source` into the database file `target`. The target is replaced in one step only
// when the whole conversion succeeded; on any failure it is as it was and the error is raised:
// the text-file errors, the list index error of a line with too few fields, and the invalid
// level error of a line more than one level deeper than the line before it.
PhoneConversion convertPhoneDatabase(const std::string& source, const std::string& target);

}  // namespace quorvia::importing
