// The selected node's objects as a table: the inverse of the object import (fields separated by
// ";", no quoting), or a CSV file for spreadsheets (RFC 4180, "," and quotes where needed).
#pragma once

#include <string>

#include "model/PairedTrees.h"
#include "platform/TextCodec.h"
#include "platform/UserPrompts.h"

namespace quorvia::exporting {

// The header of the column of object names.
inline constexpr const char* kNameColumn = "Name";

enum class TableFormat { Semicolons, Csv };
// A file name ending in ".csv", in any case, is a CSV file.
TableFormat tableFormatOf(const std::string& path);

// The table of `top`'s children that are objects, one row each: its name, then each of its
// attributes under the column of that name (the second attribute of one name under the second
// such column, and so on), columns in the order their names first appear. Lines end in CR LF.
// The semicolon table holds the records' bytes; the CSV file their texts as the tree decodes
// them, in UTF-8. `refused` is set instead when a name or value of the semicolon table holds
// a ";", which the object import would take for a field boundary.
struct Table {
    std::string bytes;
    model::NodePair refused;
    std::string refusal;  // names the node
};
Table formatTable(const model::NodePair& top, TableFormat format,
                  const platform::TextCodec& codec);

// "Export as" / "Table...": asks for the file and writes the table of the selected node (the
// root when none is); a refusal selects the node it names and writes nothing.
void exportTable(model::PairedTrees& trees, platform::UserPrompts& prompts,
                 const platform::TextCodec& codec);

}  // namespace quorvia::exporting
