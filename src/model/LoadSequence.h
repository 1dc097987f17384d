// The load of a database: both trees filled from the database file named by a path, or given a
// single root named after the file, and the display rebuilt.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/PairedTrees.h"
#include "platform/Error.h"

namespace quorvia::model {

// Shows nothing itself. Returns the failure when an existing file could not be loaded, whatever
// its kind (a read error, a format error, memory running out): both trees then hold only a root
// named after the file, so the caller can protect the file. A file with text behind a NUL is
// loaded up to the NUL and reported the same way (and then raises no short-record error).
// Raises the list index error of the first record of fewer than three fields, after both trees
// have been filled and decoded completely.
std::optional<Error> loadDatabase(PairedTrees& trees, const std::string& path);

// The same from a file's bytes (none: no file); node texts point into `content` without a copy.
std::optional<Error> loadDatabaseContent(PairedTrees& trees,
                                         std::shared_ptr<const std::string> content,
                                         std::string_view fileName);

}  // namespace quorvia::model
