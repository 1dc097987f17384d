// The load of a database: both trees filled from the database file named by a path, or given a
// single root named after the file, and the display rebuilt.
#pragma once

#include <optional>
#include <string>

#include "model/FieldList.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"

namespace quorvia::model {

// Shows nothing itself. Returns the reader's error when an existing file could not be loaded
// (both trees then hold only a root named after the file), so the caller can protect the file.
// Raises the list index error of the first record of fewer than three fields, after both trees
// have been filled and decoded completely.
std::optional<Error> loadDatabase(PairedTrees& trees, FieldList& fields, const std::string& path);

}  // namespace quorvia::model
