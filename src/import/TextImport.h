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

// The object import's first steps: its rule (the warning when the selection may take no
// objects), the open dialog and the current record; nothing when the import ends there.
struct ObjectImportSource {
    std::string path;
    model::NodePair parent;  // the selection, with its partner now the current record
};
std::optional<ObjectImportSource> chooseObjectSource(model::PairedTrees& trees,
                                                     platform::UserPrompts& prompts);

// Every line of exactly two fields becomes an attribute "F0:F1" / "T;F0;F1" of the selection.
void importAttributes(model::PairedTrees& trees, platform::UserPrompts& prompts);

// The first line names the columns; the user picks the name column; every later line of as
// many fields becomes an object with one attribute per other column. Cancelling the choice
// adds nothing.
void importObjects(model::PairedTrees& trees, platform::UserPrompts& prompts);

}  // namespace quorvia::importing
