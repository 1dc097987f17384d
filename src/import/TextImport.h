// The imports of semicolon-separated text files into the selected object: a list of
// "name;value" lines as attributes, or a table whose rows become objects.
#pragma once

#include "model/FieldList.h"
#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::importing {

inline constexpr const char* kAttributeTargetWarning =
    "Select an empty object or an object which contains already attributes";
inline constexpr const char* kObjectTargetWarning =
    "Select an empty object or an object which contains already objects";
// Icon index of every object the object import makes.
inline constexpr std::int32_t kImportedObjectIcon = 2;

// An object below the top level that is empty or whose first child is an attribute (an
// object).
bool mayImportAttributesInto(const model::Node* selected);
bool mayImportObjectsInto(const model::Node* selected);

// Every line of exactly two fields becomes an attribute "F0:F1" / "T;F0;F1" of the selection.
void mmImportAttributesClick(model::PairedTrees& trees, model::FieldList& fields,
                             platform::UserPrompts& prompts);

// The first line names the columns; the user picks the name column; every later line of as
// many fields becomes an object with one attribute per other column. Cancelling the choice
// adds nothing.
void mmImportObjectClick(model::PairedTrees& trees, model::FieldList& fields,
                         platform::UserPrompts& prompts);

}  // namespace quorvia::importing
