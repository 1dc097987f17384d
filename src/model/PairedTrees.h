// The database held twice: the record tree that is saved and exported, and the display tree the
// user sees. Partners are the nodes at the same absolute index. This class is the one way to
// change either tree, so the two always have the same shape and change together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/FieldList.h"
#include "model/Tree.h"
#include "platform/Error.h"

namespace quorvia::model {

// A display node and its partner in the record tree; both null for none.
struct NodePair {
    Node* display = nullptr;
    Node* record = nullptr;

    explicit operator bool() const { return display != nullptr; }
};

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
    // The same, then removes `source`.
    NodePair moveSubtree(const NodePair& source, const NodePair& parent);

    // The record tree follows the display tree: an expanded display node expands its partner; a
    // collapsed one collapses its partner's whole subtree.
    void setExpanded(Node* displayNode, bool expanded);
    // Selects a display node (the view's selection); the record tree's stays as it is.
    void select(Node* displayNode);
    // Expands every ancestor of the pair in both trees, asks the views to show it and selects
    // it in both.
    void showPair(const NodePair& pair);

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
    friend std::optional<Error> loadDatabaseContent(PairedTrees&, std::shared_ptr<std::string>,
                                                    std::string_view);

    Tree m_display;
    Tree m_records;
};

}  // namespace quorvia::model
