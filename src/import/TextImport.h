// The imports of semicolon-separated text files into the selected object: a list of
// "name;value" lines as attributes, or a table whose rows become objects.
#pragma once

#include <optional>
#include <string>

#include "import/ImportedNodes.h"
#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::importing {

inline constexpr const char* kAttributeTargetWarning =
    "Select an empty object or an object which contains already attributes";
inline constexpr const char* kObjectTargetWarning =
    "Select an empty object or an object which contains already objects";

// The file to import into the selected node, when the rule allows it there: the warning when
// not, nothing when the open dialog is cancelled.
std::optional<std::string> chooseSource(bool allowed, const char* warning,
                                        platform::UserPrompts& prompts);

// Every line of exactly two fields becomes an attribute "F0:F1" / "T;F0;F1" of the selection.
void importAttributes(model::PairedTrees& trees, platform::UserPrompts& prompts);

// The first line names the columns; the user picks the name column; every later line of as
// many fields becomes an object with one attribute per other column. Cancelling the choice
// adds nothing.
void importObjects(model::PairedTrees& trees, platform::UserPrompts& prompts);

}  // namespace quorvia::importing
