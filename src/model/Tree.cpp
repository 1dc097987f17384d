#include "model/Tree.h"

#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <new>

namespace quorvia::model {

static_assert(sizeof(Node) <= 64, "a million nodes per tree must stay small");

Error treeIndexError() {
    return Error("Index incorrect");
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

Tree::Tree() = default;
Tree::~Tree() = default;

template <typename Call>
void Tree::tell(Call call) {
    for (TreeObserver* observer : m_observers) {
        call(*observer);
    }
}

// ---- storage ----

Node* Tree::allocateNode() {
    Node* node;
    if (m_released != nullptr) {
        node = m_released;
        m_released = node->m_next;
    } else {
        if (m_usedInLastChunk == kChunkSize) {
            m_chunks.push_back(allocateChunk());
            m_usedInLastChunk = 0;
        }
        node = m_chunks.back().get() + m_usedInLastChunk++;
    }
    ++m_count;
    return new (node) Node();
}

Tree::Chunk Tree::allocateChunk() {
    // One huge page per chunk where the system offers them: a million nodes then cost a few
    // dozen page faults instead of thirty thousand.
    constexpr size_t bytes = kChunkSize * sizeof(Node);
    void* memory = std::aligned_alloc(bytes, bytes);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ::madvise(memory, bytes, MADV_HUGEPAGE);
    return Chunk(static_cast<Node*>(memory));
}

void Tree::releaseNode(Node* node) {
    if (!m_extras.empty()) {
        m_extras.erase(node);
    }
    if (m_selected == node) {
        m_selected = nullptr;
    }
    node->m_text = nullptr;
    node->m_textLength = 0;
    node->m_parent = node->m_firstChild = node->m_lastChild = node->m_previous = nullptr;
    node->m_next = m_released;
    m_released = node;
    --m_count;
}

void Tree::freeSubtree(Node* top) {
    // Iterative, so that no depth of nesting can exhaust the stack: each node detaches its
    // children on the way down and is released on the way up.
    Node* node = top;
    for (;;) {
        if (Node* child = node->m_firstChild) {
            node->m_firstChild = nullptr;
            node = child;
            continue;
        }
        Node* next = node->m_next;
        Node* up = node->m_parent;
        const bool done = node == top;
        releaseNode(node);
        if (done) {
            return;
        }
        node = next != nullptr ? next : up;
    }
}

void Tree::forgetLookups() {
    m_lookupNode = nullptr;
    m_rowParent = nullptr;
    m_rowNode = nullptr;
}

void Tree::adoptBuffer(std::shared_ptr<const std::string> buffer) {
    m_texts.adopt(std::move(buffer));
}

// ---- reading ----

Node* Tree::firstChildOf(const Node* parent) const {
    return parent != nullptr ? parent->m_firstChild : m_firstTop;
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
        node = parent != nullptr ? parent->m_lastChild : m_lastTop;
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

Node* Tree::nodeAt(int absoluteIndex) const {
    if (absoluteIndex < 0 || absoluteIndex >= m_count) {
        throw treeIndexError();
    }
    const Node* node;
    int at;
    if (m_lookupNode != nullptr && absoluteIndex >= m_lookupIndex - 1) {
        node = m_lookupNode;
        at = m_lookupIndex;
        if (absoluteIndex == at - 1) {
            node = previousInPreorder(node);
            --at;
            ++m_lookupSteps;
        }
    } else {
        node = m_firstTop;
        at = 0;
    }
    for (; at < absoluteIndex; ++at) {
        node = nextInPreorder(node);
        ++m_lookupSteps;
    }
    m_lookupNode = node;
    m_lookupIndex = absoluteIndex;
    return const_cast<Node*>(node);
}

int Tree::absoluteIndexOf(const Node* node) const {
    // Walk backwards to the first node, or to the remembered node whose index is known.
    int steps = 0;
    const Node* at = node;
    while (at != m_lookupNode && at != m_firstTop) {
        at = previousInPreorder(at);
        ++steps;
    }
    m_lookupSteps += static_cast<std::uint64_t>(steps);
    const int index = (at == m_lookupNode ? m_lookupIndex : 0) + steps;
    m_lookupNode = node;
    m_lookupIndex = index;
    return index;
}

// ---- changes ----

bool Tree::isSilent(const Node* node) const {
    return m_resetting || (node != nullptr && node->m_fresh != 0);
}

void Tree::prepareToTell(const Node* node) {
    // Observers cannot hear of a node they have not been told exists yet.
    if (node != nullptr && node->m_fresh != 0) {
        flushPendingAppends();
    }
}

Node* Tree::link(Node* parent, Node* node) {
    const int row = childCountOf(parent);
    const bool immediate = m_updateDepth == 0;
    if (immediate) {
        tell([&](TreeObserver& o) { o.aboutToAppend(parent, row, row); });
    } else if (!isSilent(parent)) {
        if (m_announcedCounts.emplace(parent, row).second) {
            m_pendingParents.push_back(parent);
        }
    }
    if (!immediate && !m_resetting) {
        node->m_fresh = 1;
        m_freshNodes.push_back(node);
    }

    node->m_parent = parent;
    node->m_row = row;
    Node*& last = parent != nullptr ? parent->m_lastChild : m_lastTop;
    if (last != nullptr) {
        last->m_next = node;
        node->m_previous = last;
    } else {
        (parent != nullptr ? parent->m_firstChild : m_firstTop) = node;
    }
    last = node;
    if (parent != nullptr) {
        ++parent->m_childCount;
    } else {
        ++m_topCount;
    }
    forgetLookups();

    if (immediate) {
        tell([&](TreeObserver& o) { o.appended(parent, row, row); });
    }
    return node;
}

Node* Tree::appendChild(Node* parent, std::string_view text) {
    Node* node = allocateNode();
    const std::string_view stored = m_texts.store(text);
    node->m_text = stored.data();
    node->m_textLength = static_cast<std::uint32_t>(stored.size());
    return link(parent, node);
}

Node* Tree::appendChildReferencing(Node* parent, std::string_view adoptedText) {
    assert(adoptedText.empty() || m_texts.holds(adoptedText));
    Node* node = allocateNode();
    node->m_text = adoptedText.data();
    node->m_textLength = static_cast<std::uint32_t>(adoptedText.size());
    return link(parent, node);
}

Node* Tree::appendCopy(Node* parent, const Node& source) {
    // Texts are never changed in place, so the copy can share the source's bytes.
    Node* node = allocateNode();
    node->m_text = source.m_text;
    node->m_textLength = source.m_textLength;
    node->m_iconIndex = source.m_iconIndex;
    if (!m_extras.empty()) {
        if (auto found = m_extras.find(&source); found != m_extras.end()) {
            const Extras extras = found->second;
            m_extras[node] = extras;
        }
    }
    return link(parent, node);
}

void Tree::removeSubtree(Node* node) {
    if (m_updateDepth > 0 && !m_resetting) {
        flushPendingAppends();
    }
    const bool silent = m_resetting;
    Node* parent = node->m_parent;
    const int row = node->m_row;
    if (!silent) {
        tell([&](TreeObserver& o) { o.aboutToRemove(node); });
    }

    for (Node* after = node->m_next; after != nullptr; after = after->m_next) {
        --after->m_row;
    }
    (node->m_previous != nullptr ? node->m_previous->m_next
                                 : (parent != nullptr ? parent->m_firstChild : m_firstTop)) =
        node->m_next;
    (node->m_next != nullptr ? node->m_next->m_previous
                             : (parent != nullptr ? parent->m_lastChild : m_lastTop)) =
        node->m_previous;
    if (parent != nullptr) {
        --parent->m_childCount;
    } else {
        --m_topCount;
    }
    node->m_next = nullptr;
    freeSubtree(node);
    forgetLookups();

    if (!silent) {
        tell([&](TreeObserver& o) { o.removed(parent, row); });
    }
}

void Tree::clear() {
    if (!m_resetting) {
        tell([](TreeObserver& o) { o.aboutToReset(); });
    }
    m_chunks.clear();
    m_usedInLastChunk = kChunkSize;
    m_released = nullptr;
    m_texts.clear();
    m_extras.clear();
    m_firstTop = m_lastTop = nullptr;
    m_topCount = 0;
    m_count = 0;
    m_selected = nullptr;
    forgetLookups();
    m_pendingParents.clear();
    m_announcedCounts.clear();
    m_freshNodes.clear();
    if (m_updateDepth > 0) {
        m_resetting = true;
    } else {
        tell([](TreeObserver& o) { o.resetDone(); });
    }
}

void Tree::setText(Node* node, std::string_view text) {
    const std::string_view stored = m_texts.store(text);
    node->m_text = stored.data();
    node->m_textLength = static_cast<std::uint32_t>(stored.size());
    if (!isSilent(node)) {
        tell([&](TreeObserver& o) { o.changed(node); });
    }
}

void Tree::setIconIndex(Node* node, std::int32_t iconIndex) {
    node->m_iconIndex = iconIndex;
    if (!isSilent(node)) {
        tell([&](TreeObserver& o) { o.changed(node); });
    }
}

Tree::Extras& Tree::extrasFor(Node* node) {
    return m_extras[node];
}

std::int32_t Tree::imageIndex(const Node* node) const {
    const auto found = m_extras.find(node);
    return found != m_extras.end() ? found->second.imageIndex : 0;
}

std::int32_t Tree::selectedImageIndex(const Node* node) const {
    const auto found = m_extras.find(node);
    return found != m_extras.end() ? found->second.selectedImageIndex : 0;
}

std::uintptr_t Tree::data(const Node* node) const {
    const auto found = m_extras.find(node);
    return found != m_extras.end() ? found->second.data : 0;
}

void Tree::setImageIndex(Node* node, std::int32_t index) {
    extrasFor(node).imageIndex = index;
}

void Tree::setSelectedImageIndex(Node* node, std::int32_t index) {
    extrasFor(node).selectedImageIndex = index;
}

void Tree::setData(Node* node, std::uintptr_t data) {
    extrasFor(node).data = data;
}

void Tree::setExpanded(Node* node, bool expanded) {
    if (node->isExpanded() == expanded) {
        return;
    }
    node->m_expanded = expanded ? 1 : 0;
    if (!m_resetting) {
        prepareToTell(node);
        tell([&](TreeObserver& o) { o.expandedChanged(node); });
    }
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
    if (!m_resetting) {
        prepareToTell(node);
        tell([&](TreeObserver& o) { o.scrollRequested(node); });
    }
}

void Tree::select(Node* node) {
    if (m_selected == node) {
        return;
    }
    m_selected = node;
    if (!m_resetting) {
        prepareToTell(node);
        tell([&](TreeObserver& o) { o.selectionChanged(node); });
    }
}

// ---- bulk update ----

void Tree::beginUpdate() {
    ++m_updateDepth;
}

void Tree::endUpdate() {
    assert(m_updateDepth > 0);
    if (m_updateDepth == 0 || --m_updateDepth > 0) {
        return;
    }
    if (m_resetting) {
        m_resetting = false;
        tell([](TreeObserver& o) { o.resetDone(); });
    } else {
        flushPendingAppends();
    }
    tell([](TreeObserver& o) { o.bulkUpdateEnded(); });
}

void Tree::flushPendingAppends() {
    // Each parent keeps its announced count until its observers have been warned.
    for (const Node* parent : m_pendingParents) {
        const int first = m_announcedCounts[parent];
        const int last = childCountOf(parent) - 1;
        if (last >= first) {
            tell([&](TreeObserver& o) { o.aboutToAppend(parent, first, last); });
        }
        m_announcedCounts.erase(parent);
        if (last >= first) {
            tell([&](TreeObserver& o) { o.appended(parent, first, last); });
        }
    }
    m_pendingParents.clear();
    for (Node* node : m_freshNodes) {
        node->m_fresh = 0;
    }
    m_freshNodes.clear();
}

int Tree::announcedChildCount(const Node* parent) const {
    if (!m_announcedCounts.empty()) {
        if (const auto found = m_announcedCounts.find(parent); found != m_announcedCounts.end()) {
            return found->second;
        }
    }
    return childCountOf(parent);
}

void Tree::addObserver(TreeObserver* observer) {
    m_observers.push_back(observer);
}

void Tree::removeObserver(TreeObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

}  // namespace quorvia::model
