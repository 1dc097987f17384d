#include "model/PairedTrees.h"

namespace quorvia::model {

Node* partnerOf(const Tree& from, const Node* node, const Tree& to) {
    return to.nodeAt(from.absoluteIndexOf(node));
}

Node* selectCurrentRecord(PairedTrees& trees) {
    const Node* selected = trees.tvMain.selected();
    if (selected == nullptr) {
        return nullptr;
    }
    Node* record = partnerOf(trees.tvMain, selected, trees.tvMirror);
    trees.tvMirror.select(record);
    return record;
}

void followExpand(PairedTrees& trees, const Node* displayNode) {
    trees.tvMirror.setExpanded(partnerOf(trees.tvMain, displayNode, trees.tvMirror), true);
}

void followCollapse(PairedTrees& trees, const Node* displayNode) {
    trees.tvMirror.collapseSubtree(partnerOf(trees.tvMain, displayNode, trees.tvMirror));
}

}  // namespace quorvia::model
