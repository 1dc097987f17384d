// A node of the display tree with its partner in the record tree: the nodes at the same absolute
// index of two trees of one shape.
#pragma once

#include "model/Tree.h"

namespace quorvia::model {

// A display node and its partner in the record tree; both null for none. Neither is owned.
struct NodePair {
    Node* display = nullptr;
    Node* record = nullptr;

    explicit operator bool() const { return display != nullptr; }
};

// Visits the pair and every pair below it in pre-order as visit(pair). Both subtrees have one
// shape, so the partners are walked in step.
template <typename Visit>
void forEachPairInSubtree(const NodePair& top, Visit&& visit) {
    const Node* end = Tree::nextAfterSubtree(top.display);
    NodePair pair = top;
    for (; pair.display != end;
         pair = {Tree::nextInPreorder(pair.display), Tree::nextInPreorder(pair.record)}) {
        visit(pair);
    }
}

}  // namespace quorvia::model
