// Which node may take which child: the rules of adding, pasting and dropping. Every rule reads
// the kind from the display tree alone: icon index -1 is an attribute, anything else an object.
#pragma once

#include "model/Tree.h"

namespace quorvia::editing {

// The warning of every refused add, paste or drop-like command.
inline constexpr const char* kContainmentWarning = "Object can contain only Objects or Attributes";

bool isAttribute(const model::Node* displayNode);

// Add Object: a top-level node always; any other node when it has no children or its first
// child is an object (its own kind is not asked).
bool mayAddObject(const model::Node* selected);
// Add Attribute: an object below the top level without children or whose first child is an
// attribute.
bool mayAddAttribute(const model::Node* selected);
// The first top-level node: the root, named after the file by every load, whose text is the
// file's first line and no record.
bool isRoot(const model::Node* node);

// Paste: any node but an attribute below the top level, and never into the pasted node's own
// subtree (which would copy without end).
bool mayPasteInto(const model::Node* target, const model::Node* clip);
// A drag of `dragged` over `target`.
bool acceptsDrop(const model::Node* dragged, const model::Node* target, bool startedInTree);
// The attribute import: the Add Attribute rule.
inline bool mayImportAttributesInto(const model::Node* selected) {
    return mayAddAttribute(selected);
}
// The object import: an object below the top level without children or whose first child is an
// object.
bool mayImportObjectsInto(const model::Node* selected);

}  // namespace quorvia::editing
