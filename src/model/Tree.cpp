// The structure half of Tree: the links between nodes, lookups by absolute index and by row,
// moves and reorders, expanded states, selection and what observers hear of it all.
#include "model/Tree.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "model/NodeRecord.h"

namespace quorvia::model {

static_assert(sizeof(Node) == 44, "a million nodes per tree must stay small");
// A link reaches 2^31 steps of four bytes either way.
static_assert(Tree::kMaxNodes * sizeof(Node) < (std::uint64_t{1} << 33));

Error treeIndexError() {
    return Error("Index incorrect");
}

std::string_view Node::shownText(std::string& buffer) const {
    if (m_showsRecord == 0) {
        return storedText();
    }
    return shownTextOf(shownFieldsOf(storedText()), buffer);
}

std::string Node::shownText() const {
    std::string buffer;
    return std::string(shownText(buffer));
}

int Node::level() const {
    int level = 0;
    for (const Node* node = m_parent; node != nullptr; node = node->m_parent) {
        ++level;
    }
    return level;
}

bool Node::isWithin(const Node* ancestor) const {
    for (const Node* node = this; node != nullptr; node = node->m_parent) {
        if (node == ancestor) {
            return true;
        }
    }
    return false;
}

bool liesWithinRows(const Node* node, const Node* parent, int first, int last) {
    for (; node != nullptr; node = node->parent()) {
        if (node->parent() == parent) {
            return node->row() >= first && node->row() <= last;
        }
    }
    return false;
}

void Tree::forgetLookups() {
    m_lookupNode = nullptr;
    m_rowParent = nullptr;
    m_rowNode = nullptr;
}

// ---- reading ----

Node* Tree::firstChildOf(const Node* parent) const {
    return parent != nullptr ? parent->firstChild() : m_firstTop;
}

Node* Tree::lastChildOf(const Node* parent) const {
    return parent != nullptr ? parent->lastChild() : m_lastTop;
}

void Tree::joinSiblings(Node* parent, Node* first, Node* second) {
    if (first != nullptr) {
        first->m_next = second;
    } else if (parent != nullptr) {
        parent->m_firstChild = second;
    } else {
        m_firstTop = second;
    }
    if (second != nullptr) {
        second->m_previous = first;
    } else if (parent != nullptr) {
        parent->m_lastChild = first;
    } else {
        m_lastTop = first;
    }
}

int Tree::childCountOf(const Node* parent) const {
    return parent != nullptr ? parent->childCount() : m_topCount;
}

Node* Tree::childAt(const Node* parent, int row) const {
    const int count = childCountOf(parent);
    if (row < 0 || row >= count) {
        return nullptr;
    }
    // Start from whichever is nearest: the first child, the last child or the last answer.
    Node* node = firstChildOf(parent);
    int at = 0;
    if (count - 1 - row < row) {
        node = lastChildOf(parent);
        at = count - 1;
    }
    if (m_rowParent == parent && m_rowNode != nullptr &&
        std::abs(m_rowNode->m_row - row) < std::abs(at - row)) {
        node = m_rowNode;
        at = node->m_row;
    }
    for (; at < row; ++at) {
        node = node->m_next;
    }
    for (; at > row; --at) {
        node = node->m_previous;
    }
    m_rowParent = parent;
    m_rowNode = node;
    return node;
}

Node* Tree::nextInPreorder(const Node* node) {
    return node->m_firstChild != nullptr ? node->m_firstChild : nextAfterSubtree(node);
}

Node* Tree::nextAfterSubtree(const Node* node) {
    for (; node != nullptr; node = node->m_parent) {
        if (node->m_next != nullptr) {
            return node->m_next;
        }
    }
    return nullptr;
}

Node* Tree::previousInPreorder(const Node* node) {
    if (node->m_previous == nullptr) {
        return node->m_parent;
    }
    Node* previous = node->m_previous;
    while (previous->m_lastChild != nullptr) {
        previous = previous->m_lastChild;
    }
    return previous;
}

Node* Tree::lastInPreorder() const {
    const Node* node = m_lastTop;
    while (node != nullptr && node->m_lastChild != nullptr) {
        node = node->m_lastChild;
    }
    return const_cast<Node*>(node);
}

Node* Tree::nodeAt(int absoluteIndex) const {
    if (absoluteIndex < 0 || absoluteIndex >= m_count) {
        throw treeIndexError();
    }
    // Walk from the nearest place whose index is known: the first node, the remembered one or
    // the last one. A step backwards costs about as much as one forwards.
    const Node* node = m_firstTop;
    int at = 0;
    if (m_lookupNode != nullptr && std::abs(m_lookupIndex - absoluteIndex) < absoluteIndex) {
        node = m_lookupNode;
        at = m_lookupIndex;
    }
    if (m_count - 1 - absoluteIndex < std::abs(at - absoluteIndex)) {
        node = lastInPreorder();
        at = m_count - 1;
    }
    for (; at < absoluteIndex; ++at) {
        node = nextInPreorder(node);
    }
    for (; at > absoluteIndex; --at) {
        node = previousInPreorder(node);
    }
    m_lookupNode = node;
    m_lookupIndex = absoluteIndex;
    return const_cast<Node*>(node);
}

int Tree::absoluteIndexOf(const Node* node) const {
    // Walk both ways at once, until either walk meets a node whose index is known: the
    // remembered node, the first node or the last one.
    const Node* back = node;
    const Node* ahead = node;
    int index = 0;
    for (int steps = 0;; ++steps) {
        if (back == m_lookupNode) {
            index = m_lookupIndex + steps;
            break;
        }
        if (back == m_firstTop) {
            index = steps;
            break;
        }
        if (ahead == m_lookupNode) {
            index = m_lookupIndex - steps;
            break;
        }
        const Node* next = nextInPreorder(ahead);
        if (next == nullptr) {
            index = m_count - 1 - steps;
            break;
        }
        ahead = next;
        back = previousInPreorder(back);
    }
    m_lookupNode = node;
    m_lookupIndex = index;
    return index;
}

// ---- changes ----

Node* Tree::link(Node* parent, Node* node) {
    const int row = childCountOf(parent);
    tell([&](TreeObserver& o) { o.aboutToInsert(parent, row, row); });
    linkRows(parent, nullptr, node, node, 1);
    tell([&](TreeObserver& o) { o.inserted(parent, row, row); });
    return node;
}

void Tree::linkRows(Node* parent, Node* before, Node* first, Node* last, int count) {
    Node* after = before != nullptr ? before->previousSibling() : lastChildOf(parent);
    int row = after != nullptr ? after->m_row + 1 : 0;
    for (Node* node = first;; node = node->m_next) {
        node->m_parent = parent;
        node->m_row = row++;
        if (node == last) {
            break;
        }
    }
    for (Node* node = before; node != nullptr; node = node->m_next) {
        node->m_row = row++;
    }
    joinSiblings(parent, after, first);
    joinSiblings(parent, last, before);
    addToChildCount(parent, count);
    forgetLookups();
}

void Tree::addToChildCount(Node* parent, int added) {
    if (parent != nullptr) {
        parent->m_childCount =
            static_cast<std::uint32_t>(static_cast<std::int64_t>(parent->m_childCount) + added);
    } else {
        m_topCount += added;
    }
}

void Tree::unlinkRows(Node* parent, Node* first, Node* last, int count) {
    Node* before = first->m_previous;
    Node* after = last->m_next;
    joinSiblings(parent, before, after);
    for (Node* node = after; node != nullptr; node = node->m_next) {
        node->m_row -= count;
    }
    addToChildCount(parent, -count);
    first->m_previous = nullptr;
    last->m_next = nullptr;
    forgetLookups();
}

void Tree::removeSubtree(Node* node) {
    // The rows are freed as the handle goes.
    detachRows(node->m_parent, node->m_row, node->m_row);
}

DetachedRows Tree::detachRows(Node* parent, int first, int last) {
    Node* firstNode = childAt(parent, first);
    Node* lastNode = childAt(parent, last);
    tell([&](TreeObserver& o) { o.aboutToRemove(parent, first, last); });

    int nodeCount = 0;
    for (Node* node = firstNode;; node = node->m_next) {
        nodeCount += subtreeCount(node);
        if (node == lastNode) {
            break;
        }
    }
    if (m_selected != nullptr && liesWithinRows(m_selected, parent, first, last)) {
        m_selected = nullptr;
    }
    unlinkRows(parent, firstNode, lastNode, last - first + 1);
    for (Node* node = firstNode; node != nullptr; node = node->m_next) {
        node->m_parent = nullptr;
    }
    m_count -= nodeCount;
    m_detached.insert(firstNode);

    tell([&](TreeObserver& o) { o.removed(parent, first, last); });
    return DetachedRows(*this, firstNode, nodeCount);
}

void Tree::insertRows(Node* parent, int row, DetachedRows detachedRows) {
    assert(detachedRows.m_tree == this && !detachedRows.isEmpty());
    const int count = detachedRows.nodeCount();
    Node* detached = detachedRows.release();
    Node* last = detached;
    int rows = 1;
    while (last->m_next != nullptr) {
        last = last->m_next;
        ++rows;
    }
    tell([&](TreeObserver& o) { o.aboutToInsert(parent, row, row + rows - 1); });
    m_detached.erase(detached);
    linkRows(parent, childAt(parent, row), detached, last, rows);
    m_count += count;
    tell([&](TreeObserver& o) { o.inserted(parent, row, row + rows - 1); });

    // Nodes come back with their expanded states; views hear of them again.
    const Node* end = nextAfterSubtree(last);
    for (Node* node = detached; node != end; node = nextInPreorder(node)) {
        if (node->isExpanded()) {
            tell([&](TreeObserver& o) { o.expandedChanged(node); });
        }
    }
}

void Tree::moveNode(Node* node, Node* parent, Node* before) {
    assert(parent == nullptr || !parent->isWithin(node));
    assert(before == nullptr || before->m_parent == parent);
    Node* from = node->m_parent;
    const int row = node->m_row;
    if (before == node || (from == parent && before == node->m_next)) {
        return;  // already there
    }
    const int beforeRow = before != nullptr ? before->m_row : childCountOf(parent);
    tell([&](TreeObserver& o) { o.aboutToMove(from, row, parent, beforeRow); });
    unlinkRows(from, node, node, 1);
    linkRows(parent, before, node, node, 1);
    tell([&](TreeObserver& o) { o.moved(node, from, row, parent, beforeRow); });
}

std::vector<Node*> Tree::childrenOf(const std::vector<Node*>& parents) const {
    // Each step along a list of siblings waits for memory; several lists walked side by side
    // wait at the same time, which makes undoing a sort of a large tree several times faster.
    constexpr size_t kWalks = 16;
    struct Walk {
        const Node* node;
        size_t at;
    };
    std::vector<Node*> children;
    std::vector<Walk> walks;
    size_t next = 0;
    const auto startWalk = [&] {
        while (next < parents.size() && walks.size() < kWalks) {
            const Node* parent = parents[next++];
            if (const Node* child = firstChildOf(parent)) {
                walks.push_back({child, children.size()});
                children.resize(children.size() + static_cast<size_t>(childCountOf(parent)));
            }
        }
    };
    for (startWalk(); !walks.empty(); startWalk()) {
        for (size_t w = 0; w < walks.size();) {
            Walk& walk = walks[w];
            children[walk.at++] = const_cast<Node*>(walk.node);
            walk.node = walk.node->m_next;
            if (walk.node == nullptr) {
                walk = walks.back();
                walks.pop_back();
            } else {
                ++w;
            }
        }
    }
    return children;
}

void Tree::reorderChildren(const std::vector<Node*>& parents, const std::vector<int>& rows) {
    tell([&](TreeObserver& o) { o.aboutToReorder(parents); });
    const std::vector<Node*> children = childrenOf(parents);
    size_t first = 0;
    for (Node* parent : parents) {
        const size_t count = static_cast<size_t>(childCountOf(parent));
        Node* previous = nullptr;
        for (size_t at = 0; at < count; ++at) {
            Node* child = children[first + static_cast<size_t>(rows[first + at])];
            child->m_row = static_cast<std::int32_t>(at);
            joinSiblings(parent, previous, child);
            previous = child;
        }
        joinSiblings(parent, previous, nullptr);
        first += count;
    }
    forgetLookups();
    tell([&](TreeObserver& o) { o.reordered(parents); });
}

void Tree::setIconIndex(Node* node, std::int32_t iconIndex) {
    node->m_iconIndex = iconIndex;
    tell([&](TreeObserver& o) { o.changed(node); });
}

void Tree::setExpanded(Node* node, bool expanded) {
    if (node->isExpanded() == expanded) {
        return;
    }
    node->m_expanded = expanded ? 1 : 0;
    tell([&](TreeObserver& o) { o.expandedChanged(node); });
}

void Tree::collapseSubtree(Node* top) {
    const Node* end = nextAfterSubtree(top);
    for (Node* node = top; node != end; node = nextInPreorder(node)) {
        setExpanded(node, false);
    }
}

void Tree::makeVisible(Node* node) {
    std::vector<Node*> ancestors;
    for (Node* ancestor = node->m_parent; ancestor != nullptr; ancestor = ancestor->m_parent) {
        ancestors.push_back(ancestor);
    }
    std::for_each(ancestors.rbegin(), ancestors.rend(), [&](Node* a) { setExpanded(a, true); });
    tell([&](TreeObserver& o) { o.scrollRequested(node); });
}

void Tree::select(Node* node) {
    if (m_selected == node) {
        return;
    }
    m_selected = node;
    tell([&](TreeObserver& o) { o.selectionChanged(node); });
}

// ---- bulk update ----

void Tree::beginUpdate() {
    if (m_updateDepth++ == 0) {
        tell([](TreeObserver& o) { o.updateBegan(); });
    }
}

void Tree::endUpdate() {
    assert(m_updateDepth > 0);
    if (m_updateDepth == 0 || --m_updateDepth > 0) {
        return;
    }
    tell([](TreeObserver& o) { o.updateEnded(); });
}

void Tree::addObserver(TreeObserver* observer) const {
    m_observers.push_back(observer);
}

void Tree::removeObserver(TreeObserver* observer) const {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

}  // namespace quorvia::model
