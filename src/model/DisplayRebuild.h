// The display rebuild: lets the freshly loaded records of the display tree show their display
// texts and icon indexes.
#pragma once

#include <optional>
#include <string_view>

#include "model/Tree.h"
#include "platform/Error.h"

namespace quorvia::model {

// Names node 0 after the database file (icon index 1) and decodes every later node, which keeps
// its record and shows the text decoded from it. A record of
// fewer than three fields is still decoded (absent fields read as empty text); the list index
// error of the first such record is returned for the caller to raise once its bulk update ended.
std::optional<Error> rebuildDisplay(Tree& display, std::string_view rootText);

}  // namespace quorvia::model
