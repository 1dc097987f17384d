// The database held twice: the record tree that is saved and exported, and the display tree the
// user sees. Partners are the nodes at the same absolute index. This class is the one way to
// change either tree, so the two always have the same shape and change together; every change
// is kept in its history for undo and redo.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/History.h"
#include "model/NodePair.h"
#include "model/Tree.h"
#include "platform/Error.h"

namespace quorvia::model {

class PairedTrees final {
public:
    PairedTrees() = default;
    PairedTrees(const PairedTrees&) = delete;
    PairedTrees& operator=(const PairedTrees&) = delete;

    const Tree& display() const { return m_display; }  // display texts and icon indexes
    const Tree& records() const { return m_records; }  // node records

    // The pair of a display node ("Index incorrect" when its partner is missing); none for null.
    NodePair pairOf(const Node* displayNode) const;
    // The display tree's selected node with its partner, which becomes the record tree's
    // selected node (the current record); none when nothing is selected.
    NodePair selectCurrentRecord();
    // The same, and the current record is made visible in the record tree.
    NodePair showCurrentRecord();

    // The edits. Each is made inside a Step, which keeps it in the history.

    // Appends a last child of `parent` (none: a last top-level pair).
    NodePair appendPair(const NodePair& parent, std::string_view displayText,
                        std::int32_t iconIndex, std::string_view record);
    // Replaces a pair's display text, icon index and record.
    void setPair(const NodePair& pair, std::string_view displayText, std::int32_t iconIndex,
                 std::string_view record);
    // Removes the pair with its whole subtree.
    void removePair(const NodePair& pair);
    // Copies `source` with its subtree as the last child of `parent`; returns the copy.
    NodePair copySubtree(const NodePair& source, const NodePair& parent);
    // Moves `source` with its subtree to the end of `parent`'s children, where it arrives
    // collapsed in both trees, as a copy of it would; nothing is copied. Returns it.
    NodePair moveSubtree(const NodePair& source, const NodePair& parent);
    // Moves the pair with its subtree in front of `before` among the children of `parent`
    // (before none: to the end); every node keeps its expanded state.
    void movePair(const NodePair& pair, const NodePair& parent, const NodePair& before);
    // Gives the children of each of `parents` a new order, in both trees: `rows` holds, parent
    // after parent, the old rows of its children in their new order. Undo and redo show `shown`.
    void reorderChildren(const std::vector<NodePair>& parents, const std::vector<int>& rows,
                         const NodePair& shown);

    // The record tree follows the display tree: an expanded display node expands its partner; a
    // collapsed one collapses its partner's whole subtree.
    void setExpanded(Node* displayNode, bool expanded);
    // Expands the display node and every node below it, as the view's "expand all below" does:
    // the record tree follows each display node that opens (one already open keeps its
    // partner's state), in one walk of both subtrees and one notice to each tree's views.
    void expandSubtree(Node* displayNode);
    // Selects a display node (the view's selection); the record tree's stays as it is.
    void select(Node* displayNode);
    // Expands every ancestor of the pair in both trees, asks the views to show it and selects
    // it in both.
    void showPair(const NodePair& pair);
    // Expands the display node's ancestors (the record tree follows), selects it and asks the
    // view to show it.
    void reveal(Node* displayNode);

    // The edits made while a Step lives form one step of the history (see History::Step).
    class Step final {
    public:
        explicit Step(PairedTrees& trees) : m_step(trees.m_history) {}

    private:
        History::Step m_step;
    };
    // Turns the last step back (or makes the last undone step again) and reveals the place it
    // changed; false when there is none.
    bool undo();
    bool redo();
    void clearHistory() { m_history.clear(); }
    // Takes both trees of `loaded`, filled by a load that no view watched, in place of these
    // (as a load into these trees would have filled them); the history starts empty.
    void takeTreesOf(PairedTrees& loaded);
    size_t undoSteps() const { return m_history.undoSteps(); }

    // Holds both trees' bulk updates open, display first, for the guard's lifetime.
    class BulkEdit final {
    public:
        explicit BulkEdit(PairedTrees& trees)
            : m_display(trees.m_display), m_records(trees.m_records) {}
        BulkEdit(const BulkEdit&) = delete;
        BulkEdit& operator=(const BulkEdit&) = delete;

    private:
        BulkUpdate m_display;
        BulkUpdate m_records;
    };

private:
    friend std::optional<Error> loadDatabaseContent(PairedTrees&,
                                                    std::shared_ptr<const std::string>,
                                                    std::string_view);

    // Reveals the node a turned-back step shows; false when there was no step.
    bool revealTurnedBack(std::optional<Node*> shown);

    Tree m_display;  // owned
    Tree m_records;  // owned
    // Owned; after the trees, so that it frees its detached rows while their trees still live.
    History m_history{m_display, m_records};
};

}  // namespace quorvia::model
