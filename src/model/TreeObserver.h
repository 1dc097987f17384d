// What a Tree tells those who watch it: every change as it happens. A view that wants appends
// batched watches through a ViewNotifier instead.
#pragma once

namespace quorvia::model {

class Node;

class TreeObserver {
public:
    virtual ~TreeObserver() = default;

    // The tree is about to be emptied, or has been.
    virtual void aboutToReset() {}
    virtual void resetDone() {}

    // A node is about to become child `row` of `parent` (nullptr: the top level), or has.
    virtual void aboutToAppend(const Node* parent, int row) { (void)parent, (void)row; }
    virtual void appended(const Node* node) { (void)node; }

    // `node` and its subtree are about to go, or have gone from row `row` of `parent`.
    virtual void aboutToRemove(const Node* node) { (void)node; }
    virtual void removed(const Node* parent, int row) { (void)parent, (void)row; }

    // The text or icon index of `node` changed.
    virtual void changed(const Node* node) { (void)node; }
    virtual void expandedChanged(const Node* node) { (void)node; }
    // The selected node changed (nullptr: none).
    virtual void selectionChanged(const Node* node) { (void)node; }
    // The logic asks for `node` to be scrolled into view.
    virtual void scrollRequested(const Node* node) { (void)node; }

    // The outermost bulk update began, or ended.
    virtual void updateBegan() {}
    virtual void updateEnded() {}
};

}  // namespace quorvia::model
