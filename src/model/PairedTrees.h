// The database held twice: the record tree that is saved and exported, and the display tree
// the user sees. Partners are the nodes at the same absolute index.
#pragma once

#include "model/Tree.h"

namespace quorvia::model {

struct PairedTrees {
    Tree tvMain;    // display texts and icon indexes
    Tree tvMirror;  // node records
};

// The node of `to` at the absolute index that `node` has in `from` ("Index incorrect" if none).
Node* partnerOf(const Tree& from, const Node* node, const Tree& to);

// Selects, in the record tree, the partner of the display tree's selected node and returns it
// (the current record node); nullptr when nothing is selected.
Node* selectCurrentRecord(PairedTrees& trees);

// The record tree follows the display tree: an expanded display node expands its partner; a
// collapsed one collapses its partner's whole subtree.
void followExpand(PairedTrees& trees, const Node* displayNode);
void followCollapse(PairedTrees& trees, const Node* displayNode);

}  // namespace quorvia::model
