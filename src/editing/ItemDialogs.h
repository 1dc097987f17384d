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
// fills the fields from a record of exactly three fields.
platform::ObjectFields showObjectDialog(model::PairedTrees& trees, DialogMode mode);
platform::AttributeFields showAttributeDialog(model::PairedTrees& trees, DialogMode mode);

// OK (btOKClick): the record into the record tree, the display text and icon index into the
// display tree, a new node as the last child; the node made visible and selected in both.
void applyObjectDialog(model::PairedTrees& trees, DialogMode mode,
                       const platform::ObjectFields& entered);
void applyAttributeDialog(model::PairedTrees& trees, DialogMode mode,
                          const platform::AttributeFields& entered);

}  // namespace quorvia::editing
