// Adding and editing objects and attributes through their dialogs: the rules that allow the
// command, what the dialog shows when it opens, and what its OK writes into both trees.
#pragma once

#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

enum class DialogMode { Add = 1, Edit = 2 };

// Add Object and Add Attribute: the rule, then the dialog adding a last child of the selected
// node; a refusal is the containment warning.
void addObject(model::PairedTrees& trees, platform::UserPrompts& prompts);
void addAttribute(model::PairedTrees& trees, platform::UserPrompts& prompts);

// Edit: the dialog that fits the selected node's kind; nothing at all on no selection or on a
// top-level node.
void editSelected(model::PairedTrees& trees, platform::UserPrompts& prompts);

// Opening a dialog (FormShow): selects and shows the current record node, and in edit mode
// fills the fields with what the record holds: an attribute's name is field 1 and its value all
// behind the second ";", an object's name all between the first and the last ";" and its icon
// the last field, so a semicolon a record holds stays in its field.
platform::ObjectFields showObjectDialog(model::PairedTrees& trees, DialogMode mode);
platform::AttributeFields showAttributeDialog(model::PairedTrees& trees, DialogMode mode);

// OK (btOKClick): the record into the record tree, and into the display tree the text and icon
// index the next load decodes from it; a new node as the last child; the node made visible and
// selected in both. An edit OK'd with the fields it opened with changes nothing.
void applyObjectDialog(model::PairedTrees& trees, DialogMode mode,
                       const platform::ObjectFields& entered);
void applyAttributeDialog(model::PairedTrees& trees, DialogMode mode,
                          const platform::AttributeFields& entered);

}  // namespace quorvia::editing
