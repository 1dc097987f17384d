// The drop of a dragged display node: it moves, with its subtree, to the end of the target's
// children in both trees.
#pragma once

#include "editing/Clipboard.h"
#include "model/PairedTrees.h"

namespace quorvia::editing {

// The drop at a release point the rules accepted: the dragged node (the display tree's
// selected node) becomes the target's last child; the target is expanded one level and
// selected. The rules are applied again to `target`, the node actually found at the release
// point, so nothing is ever moved into its own subtree, onto an attribute below the top level
// or onto no node. True when something moved.
bool dropOnto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target);

}  // namespace quorvia::editing
