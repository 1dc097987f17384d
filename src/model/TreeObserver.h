// What a Tree tells those who watch it: every change as it happens. A view that wants appends
// batched watches through a ViewNotifier instead.
#pragma once

#include <vector>

namespace quorvia::model {

class Node;

class TreeObserver {
public:
    virtual ~TreeObserver() = default;

    // The tree is about to be emptied, or has been.
    virtual void aboutToReset() {}
    virtual void resetDone() {}

    // Nodes are about to become children first..last of `parent` (nullptr: the top level), or
    // have.
    virtual void aboutToInsert(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }
    virtual void inserted(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }

    // Children first..last of `parent`, with their subtrees, are about to leave, or have.
    virtual void aboutToRemove(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }
    virtual void removed(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }

    // The child at row `row` of `from` is about to move, with its subtree, to `to` in front of
    // the child at row `before` (the child count: to the end), rows counted before the move; or
    // `node` has so moved. Nothing is copied: every node stays the same node.
    virtual void aboutToMove(const Node* from, int row, const Node* to, int before) {
        (void)from, (void)row, (void)to, (void)before;
    }
    virtual void moved(const Node* node, const Node* from, int row, const Node* to, int before) {
        (void)node, (void)from, (void)row, (void)to, (void)before;
    }

    // The children of each of `parents` (nullptr: the top level) are about to take a new
    // order among themselves, or have.
    virtual void aboutToReorder(const std::vector<Node*>& parents) { (void)parents; }
    virtual void reordered(const std::vector<Node*>& parents) { (void)parents; }

    // The text or icon index of `node` changed.
    virtual void changed(const Node* node) { (void)node; }
    virtual void expandedChanged(const Node* node) { (void)node; }
    // Nodes of the subtree of `top` were expanded at once, `top` among them.
    virtual void subtreeExpanded(const Node* top) { (void)top; }
    // The selected node changed (nullptr: none).
    virtual void selectionChanged(const Node* node) { (void)node; }
    // The logic asks for `node` to be scrolled into view.
    virtual void scrollRequested(const Node* node) { (void)node; }

    // The outermost bulk update began, or ended.
    virtual void updateBegan() {}
    virtual void updateEnded() {}
};

}  // namespace quorvia::model
