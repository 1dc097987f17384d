// What a Tree tells the views that watch it. Appends made inside a bulk update are told once per
// parent at the end of the update; a tree emptied inside one is told as one reset.
#pragma once

namespace quorvia::model {

class Node;

class TreeObserver {
public:
    virtual ~TreeObserver() = default;

    // The tree is about to be emptied; until resetDone() nothing else is told.
    virtual void aboutToReset() {}
    virtual void resetDone() {}

    // Rows first..last of `parent` (nullptr: the top level) are about to appear, or have.
    virtual void aboutToAppend(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }
    virtual void appended(const Node* parent, int first, int last) {
        (void)parent, (void)first, (void)last;
    }

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

    // The outermost bulk update ended: time to redraw.
    virtual void bulkUpdateEnded() {}
};

}  // namespace quorvia::model
