// The database held twice: the record tree that is saved and exported, and the display tree the
// user sees. Partners are the nodes at the same absolute index. This class is the one way to
// change either tree, so the two always have the same shape and change together, and it keeps
// the history of those changes for undo and redo.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Tree.h"
#include "platform/Error.h"

namespace quorvia::model {

// A display node and its partner in the record tree; both null for none.
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

    // The edits made while a Step lives form one step of the history, however the command
    // ends; steps nest, the outermost counts. An edit made outside any step forgets the
    // history, which could no longer be turned back exactly.
    class Step final {
    public:
        explicit Step(PairedTrees& trees);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        PairedTrees& m_trees;
    };
    // Up to this many steps are kept. The oldest go only when the nodes the history holds pass
    // the larger of kHistoryFloor and the most nodes the database has held since it was loaded
    // (deleted branches count, however small the database), so a large one keeps about its size
    // again.
    static constexpr size_t kMostSteps = 1000;
    static constexpr long long kHistoryFloor = 200'000;
    // Turns the last step back (or makes the last undone step again) and shows the place it
    // changed; false when there is none.
    bool undo();
    bool redo();
    void clearHistory();
    size_t undoSteps() const { return m_undo.size(); }

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

    // One change, kept so that it can be turned back: rows inserted under a parent, rows taken
    // out (kept whole and detached, not copied), a pair's texts replaced, a pair moved, or
    // children reordered. Turning an edit back turns it into its opposite, ready to be turned
    // back again.
    struct Edit {
        enum class Kind { Inserted, Removed, Changed, Moved, Reordered };
        Kind kind = Kind::Inserted;
        NodePair parent;  // rows first..last of this pair's nodes
        int first = 0;
        int last = 0;
        NodePair detached;  // Removed: the first of the rows taken out, in each tree
        // Removed: nodes of one tree kept detached; Reordered: the rows kept, in nodes' worth.
        int heldNodes = 0;
        NodePair node;  // Changed: the pair and its other texts; Moved: the pair moved
        std::string displayText;
        std::int32_t iconIndex = 0;
        std::string record;
        // Moved: the place the pair goes back to (in front of `before` among the children of
        // `parent`), and when not empty, the expanded states its subtree gets back there, per
        // node in pre-order the display node's and then the record's.
        NodePair before;
        std::vector<bool> expanded;
        // Reordered: the parents, and parent after parent the rows that turn the order back.
        // `node` is the pair to show.
        std::vector<NodePair> parents;
        std::vector<int> rows;
    };
    using HistoryStep = std::vector<Edit>;

    bool isRecording() const { return m_stepDepth > 0; }
    void forgetHistoryUnlessRecording();
    void recordInsertion(const NodePair& parent, int row);
    void endStep();
    Edit& turnBack(Edit& edit);
    void showTurnedBack(const Edit& edit);
    void release(HistoryStep& step);
    void releaseAll(std::deque<HistoryStep>& steps);
    void keepHistoryBounded();
    void writePair(const NodePair& pair, std::string_view displayText, std::int32_t iconIndex,
                   std::string_view record);
    // A Moved edit that would put the pair back where it is now.
    static Edit placeOf(const NodePair& pair);
    void record(Edit edit);
    void moveBoth(const NodePair& pair, const NodePair& parent, const NodePair& before);
    // Gives the subtree of `top`, in both trees, the expanded states `states` holds and leaves
    // there the ones it had; empty states stand for every node collapsed.
    void exchangeExpandedStates(const NodePair& top, std::vector<bool>& states);
    void reorderBoth(const std::vector<NodePair>& parents, const std::vector<int>& rows);

    Tree m_display;
    Tree m_records;

    int m_stepDepth = 0;
    HistoryStep m_openStep;
    std::deque<HistoryStep> m_undo;  // oldest first
    std::deque<HistoryStep> m_redo;  // the next to redo last
    long long m_heldNodes = 0;       // nodes of one tree that the history keeps detached
    long long m_peakNodes = 0;       // the most nodes the database held since the history began
};

}  // namespace quorvia::model
