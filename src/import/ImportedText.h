// Texts that other programs wrote (a spreadsheet's table, another outliner's outline) as fields
// of the database's records, and what the imports refuse of them.
#pragma once

#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace quorvia::importing {

// Appends a text read from line `line` of `path` (UTF-8, or when it is not UTF-8 the code
// page's own bytes) to `record` as the bytes of one field: each line break becomes one blank, as
// in a dialog's field. A ";" (the phone and the next load would split the field there), a NUL
// or a character the code page cannot write is refused: false, and `refusal` says so, naming
// the line and the file.
bool appendRecordField(std::string& record, std::string_view text,
                       const platform::TextCodec& codec, const std::string& path, int line,
                       std::string& refusal);

}  // namespace quorvia::importing
