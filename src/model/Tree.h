// An ordered forest of nodes with a selected node, expanded states, lookup by absolute
// (pre-order) index and a bulk-update bracket. The record tree and the display tree are each one.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/TextStore.h"
#include "model/TreeObserver.h"
#include "platform/Error.h"
#include "platform/Memory.h"

namespace quorvia::model {

// The error of a lookup past the end of a tree: "Index incorrect".
Error treeIndexError();

class Tree;
class Node;

// A link from a node to another node of the same tree, kept as the distance from the link to
// that node in steps of four bytes, so that it takes four bytes rather than eight: a tree's nodes
// lie in one span of addresses (Tree::kMaxNodes nodes), which keeps every distance in range.
// None is the distance 0, which no link has, as no node starts with one.
class NodeLink final {
public:
    NodeLink() = default;
    NodeLink(const NodeLink&) = delete;
    NodeLink& operator=(const NodeLink& other) { return *this = other.get(); }
    NodeLink& operator=(Node* node) {
        m_steps = node == nullptr ? 0
                                  : static_cast<std::int32_t>(
                                        (reinterpret_cast<std::intptr_t>(node) - address()) / 4);
        return *this;
    }
    Node* get() const {
        return m_steps == 0 ? nullptr
                            : reinterpret_cast<Node*>(address() + std::intptr_t{m_steps} * 4);
    }
    operator Node*() const { return get(); }

private:
    std::intptr_t address() const { return reinterpret_cast<std::intptr_t>(this); }

    std::int32_t m_steps = 0;
};

// One node. Nodes belong to their tree, which alone changes them.
class Node final {
public:
    // The text the node holds. A display node that shows the record it holds (see shownText)
    // has no display text of its own to give.
    std::string_view text() const {
        assert(!m_showsRecord);
        return storedText();
    }
    // What the node shows: its text, or for a display node that holds its record, the display
    // text formed from that record (into `buffer` where it is not a part of the record).
    std::string_view shownText(std::string& buffer) const;
    std::string shownText() const;
    std::int32_t iconIndex() const { return m_iconIndex; }
    bool isExpanded() const { return m_expanded != 0; }

    Node* parent() const { return m_parent; }
    Node* firstChild() const { return m_firstChild; }
    Node* lastChild() const { return m_lastChild; }
    Node* previousSibling() const { return m_previous; }
    Node* nextSibling() const { return m_next; }
    int childCount() const { return static_cast<int>(m_childCount); }
    bool hasChildren() const { return m_firstChild.get() != nullptr; }
    // Position among its siblings (top-level nodes count among the top level).
    int row() const { return m_row; }
    bool isTopLevel() const { return m_parent.get() == nullptr; }
    // 0 for a top-level node; walks up to the top.
    int level() const;
    // True when `ancestor` is this node or one of its ancestors.
    bool isWithin(const Node* ancestor) const;

private:
    friend class Tree;
    Node() : m_childCount(0), m_expanded(0), m_showsRecord(0) {}
    std::string_view storedText() const { return {m_text, m_textLength}; }

    // Not owned: the text lies in the tree's text storage or in a buffer it adopted, and every
    // link below points at another node of the same tree, which owns them all. The text's
    // address may lie off its natural alignment, so that a node takes 44 bytes rather than 48.
    const char* m_text __attribute__((packed)) = nullptr;
    std::uint32_t m_textLength = 0;
    std::int32_t m_iconIndex = -1;
    NodeLink m_parent;
    NodeLink m_firstChild;
    NodeLink m_lastChild;
    NodeLink m_previous;
    NodeLink m_next;  // also links released nodes
    std::int32_t m_row = 0;
    std::uint32_t m_childCount : 30;
    std::uint32_t m_expanded : 1;
    // The text is the node's record, and what it shows is formed from it when asked: the load
    // then copies no display text.
    std::uint32_t m_showsRecord : 1;
};

// Rows taken out of a tree with their subtrees (Tree::detachRows): they either go back in
// (Tree::insertRows) or are freed when the handle is dropped. The tree must outlive the handle.
class DetachedRows final {
public:
    DetachedRows() = default;
    ~DetachedRows();
    DetachedRows(DetachedRows&& other) noexcept;
    DetachedRows& operator=(DetachedRows&& other) noexcept;
    DetachedRows(const DetachedRows&) = delete;
    DetachedRows& operator=(const DetachedRows&) = delete;

    // How many nodes left the tree with the rows, their subtrees included.
    int nodeCount() const { return m_nodeCount; }
    bool isEmpty() const { return m_first == nullptr; }

private:
    friend class Tree;
    DetachedRows(Tree& tree, Node* first, int nodeCount)
        : m_tree(&tree), m_first(first), m_nodeCount(nodeCount) {}
    // Gives the rows up, to be linked back into the tree.
    Node* release();

    Tree* m_tree = nullptr;   // not owned: the tree the rows came from
    Node* m_first = nullptr;  // owned: the first row, linked to the others as siblings
    int m_nodeCount = 0;
};

class Tree final {
public:
    // The most nodes a tree holds, attached, detached and released, which keeps its span of
    // addresses (5.9 GB, a little memory for each part in use) within a link's reach.
    static constexpr size_t kMaxNodes = size_t{1} << 27;

    Tree();
    ~Tree();
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    int count() const { return m_count; }
    // The bytes the tree's text storage holds, used or not.
    size_t textBytesHeld() const { return m_texts.heldBytes(); }
    bool isEmpty() const { return m_count == 0; }
    Node* firstTopLevel() const { return m_firstTop; }

    // The children of `parent`, where nullptr stands for the top level.
    Node* firstChildOf(const Node* parent) const;
    Node* lastChildOf(const Node* parent) const;
    int childCountOf(const Node* parent) const;
    // Child `row` of `parent`; sequential rows cost one step each.
    Node* childAt(const Node* parent, int row) const;

    // The node at an absolute index; raises "Index incorrect" when there is none. The last
    // lookup is remembered, so looking up the same index or a neighbour costs at most one step;
    // otherwise the walk costs the distance to the nearest of it, the first and the last node.
    Node* nodeAt(int absoluteIndex) const;
    int absoluteIndexOf(const Node* node) const;
    // The last node in pre-order, nullptr in an empty tree.
    Node* lastInPreorder() const;
    static Node* nextInPreorder(const Node* node);
    static Node* previousInPreorder(const Node* node);
    // The first node in pre-order behind the node's subtree, or nullptr.
    static Node* nextAfterSubtree(const Node* node);

    // Appends a last child of `parent` (nullptr: a last top-level node) holding a copy of text.
    Node* appendChild(Node* parent, std::string_view text, std::int32_t iconIndex = -1);
    // The same without a copy, for text that lies in a buffer given to adoptBuffer().
    Node* appendChildReferencing(Node* parent, std::string_view adoptedText);
    // Appends, as the last child of `parent`, a copy of `source` (a node of this tree) with all
    // its descendants, in order and with every field; returns the copy. Any depth is fine.
    Node* appendSubtreeCopy(Node* parent, const Node* source);
    // Removes the node with its whole subtree.
    void removeSubtree(Node* node);

    // Takes children first..last of `parent` (nullptr: the top level) out of the tree with their
    // subtrees. They keep their texts and states until they go back in or the handle is dropped.
    DetachedRows detachRows(Node* parent, int first, int last);
    // Puts rows detached from this tree back as children of `parent` from row `row` on.
    void insertRows(Node* parent, int row, DetachedRows rows);
    // Moves the node with its subtree to `parent` (nullptr: the top level), in front of its
    // child `before` (nullptr: to the end). Nothing is copied and every node keeps its state;
    // `parent` must not lie in the node's subtree.
    void moveNode(Node* node, Node* parent, Node* before);
    // Gives the children of each of `parents` a new order: `rows` holds, parent after parent,
    // the old rows of its children in their new order. Observers hear of it once.
    void reorderChildren(const std::vector<Node*>& parents, const std::vector<int>& rows);
    void clear();
    // Takes every node, text and state of `loaded`, a tree no observer watches and no handle
    // holds rows of, which is left empty; the observers hear of a reset.
    void takeContentOf(Tree& loaded);
    void adoptBuffer(std::shared_ptr<const std::string> buffer);
    // Lets go of the adopted buffers, once no node points into them any more.
    void releaseBuffers();

    void setText(Node* node, std::string_view text);
    // Lets a node whose text is its record show the display text formed from that record, as
    // the display rebuild would set it, without a copy.
    void showRecord(Node* node);
    void setIconIndex(Node* node, std::int32_t iconIndex);

    void setExpanded(Node* node, bool expanded);
    // Collapses the node and every node of its subtree.
    void collapseSubtree(Node* node);
    // Asks `opens(node)` of the node and of every node of its subtree, in pre-order, and expands
    // those it chooses; then tells the observers once, however many opened.
    template <typename Opens>
    void expandSubtree(Node* top, Opens&& opens);
    // Expands every ancestor of the node and asks the views to scroll to it.
    void makeVisible(Node* node);

    Node* selected() const { return m_selected; }
    void select(Node* node);

    // The bulk-update bracket; brackets nest, and observers hear when the outermost one begins
    // and ends (a view redraws once, at the end). Prefer the BulkUpdate guard.
    void beginUpdate();
    void endUpdate();
    int updateDepth() const { return m_updateDepth; }

    // Watching a tree does not change it.
    void addObserver(TreeObserver* observer) const;
    void removeObserver(TreeObserver* observer) const;

private:
    friend class DetachedRows;
    Node* allocateNode();
    void releaseNode(Node* node);
    Node* appendCopy(Node* parent, const Node& source);
    Node* link(Node* parent, Node* node);
    // Links siblings first..last (of `count` nodes) as children of `parent` before `before`.
    void linkRows(Node* parent, Node* before, Node* first, Node* last, int count);
    // Takes siblings first..last (of `count` nodes) out of the children of `parent`.
    void unlinkRows(Node* parent, Node* first, Node* last, int count);
    // Counts `added` more children (fewer when negative) of `parent`.
    void addToChildCount(Node* parent, int added);
    // Makes `second` follow `first` among the children of `parent`, where none stands for the
    // start or the end of the list.
    void joinSiblings(Node* parent, Node* first, Node* second);
    // The children of every parent, parent after parent.
    std::vector<Node*> childrenOf(const std::vector<Node*>& parents) const;
    // Frees the node's subtree and returns how many nodes it held.
    int freeSubtree(Node* node);
    // Frees detached siblings with their subtrees.
    void destroyDetached(Node* detached);
    static int subtreeCount(const Node* node);
    void compactTextsIfMostlyDead();
    void forgetLookups();
    template <typename Call>
    void tell(Call call);

    static constexpr size_t kHugePage = 2 << 20;
    // Owned: the raw storage of every node, attached, detached or released, one span made
    // usable a huge page at a time; nodes are built in place as they are taken. Every other
    // Node* of the tree points into it.
    platform::ReservedSpan m_nodeSpan{kMaxNodes * sizeof(Node), kHugePage};
    size_t m_nodesMade = 0;
    Node* m_released = nullptr;  // nodes free for reuse, linked through m_next
    TextStore m_texts;           // owned: the texts of every node in the tree or detached
    size_t m_textBytes = 0;      // the texts' lengths, of every node in the tree or detached
    // The first of each run of detached siblings, which a DetachedRows owns; their texts are
    // kept through a compaction.
    std::unordered_set<Node*> m_detached;

    Node* m_firstTop = nullptr;
    Node* m_lastTop = nullptr;
    int m_topCount = 0;
    int m_count = 0;
    Node* m_selected = nullptr;

    // The lookup caches: the last node looked up by absolute index and the last child by row.
    mutable const Node* m_lookupNode = nullptr;
    mutable int m_lookupIndex = 0;
    mutable const Node* m_rowParent = nullptr;
    mutable Node* m_rowNode = nullptr;

    int m_updateDepth = 0;
    mutable std::vector<TreeObserver*> m_observers;  // not owned: each removes itself
};

// True when `node` lies in the subtree of one of the children first..last of `parent`.
bool liesWithinRows(const Node* node, const Node* parent, int first, int last);

// Visits `first`, then the nodes after it in pre-order, as visit(node, level) with `first` at
// level 0, until the walk climbs back to `top` (none: to the end of the tree). The level is
// counted as the walk goes rather than up the ancestors of each node.
template <typename Visit>
void forEachWithLevelFrom(const Node* first, const Node* top, Visit&& visit) {
    int level = 0;
    for (const Node* node = first; node != nullptr;) {
        visit(*node, level);
        if (node->firstChild() != nullptr) {
            node = node->firstChild();
            ++level;
            continue;
        }
        while (node != top && node->nextSibling() == nullptr) {
            node = node->parent();
            --level;
        }
        if (node == top) {
            return;
        }
        node = node->nextSibling();
    }
}

// Every node of the tree in pre-order, top-level nodes at level 0.
template <typename Visit>
void forEachWithLevel(const Tree& tree, Visit&& visit) {
    forEachWithLevelFrom(tree.firstTopLevel(), nullptr, visit);
}

// A node and its subtree in pre-order, the node at level 0.
template <typename Visit>
void forEachInSubtree(const Node& top, Visit&& visit) {
    forEachWithLevelFrom(&top, &top, visit);
}

template <typename Call>
void Tree::tell(Call call) {
    for (TreeObserver* observer : m_observers) {
        call(*observer);
    }
}

template <typename Opens>
void Tree::expandSubtree(Node* top, Opens&& opens) {
    const Node* end = nextAfterSubtree(top);
    for (Node* node = top; node != end; node = nextInPreorder(node)) {
        if (opens(*node)) {
            node->m_expanded = 1;
        }
    }
    tell([&](TreeObserver& o) { o.subtreeExpanded(top); });
}

// Holds a tree's bulk update open for its own lifetime, whatever way the scope is left.
class BulkUpdate final {
public:
    explicit BulkUpdate(Tree& tree) : m_tree(tree) { m_tree.beginUpdate(); }
    ~BulkUpdate() { m_tree.endUpdate(); }
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

private:
    Tree& m_tree;
};

}  // namespace quorvia::model
