// The storage half of Tree: nodes made in one span of addresses and freed for reuse, texts in
// shared blocks, and the compaction that moves the live texts out of blocks mostly dead.
#include "model/Tree.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/Memory.h"

namespace quorvia::model {

Tree::Tree() = default;
Tree::~Tree() = default;

Node* Tree::allocateNode() {
    Node* node;
    if (m_released != nullptr) {
        node = m_released;
        m_released = node->m_next;
    } else {
        if (m_nodesMade == kMaxNodes) {
            throw std::bad_alloc();
        }
        const size_t needed = (m_nodesMade + 1) * sizeof(Node);
        if (needed > m_nodeSpan.usableBytes()) {
            // A huge page at a time: a million nodes cost a few dozen page faults.
            m_nodeSpan.makeUsable(needed);
        }
        node = reinterpret_cast<Node*>(m_nodeSpan.begin()) + m_nodesMade++;
    }
    ++m_count;
    return new (node) Node();
}

void Tree::releaseNode(Node* node) {
    if (m_selected == node) {
        m_selected = nullptr;
    }
    m_textBytes -= node->m_textLength;
    node->m_text = nullptr;
    node->m_textLength = 0;
    node->m_parent = node->m_firstChild = node->m_lastChild = node->m_previous = nullptr;
    node->m_next = m_released;
    m_released = node;
}

int Tree::freeSubtree(Node* top) {
    // Iterative, so that no depth of nesting can exhaust the stack: each node detaches its
    // children on the way down and is released on the way up.
    int count = 0;
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
        ++count;
        if (done) {
            return count;
        }
        node = next != nullptr ? next : up;
    }
}

int Tree::subtreeCount(const Node* top) {
    int count = 1;
    for (const Node* node = top->m_firstChild; node != nullptr && node != top;) {
        ++count;
        if (node->m_firstChild != nullptr) {
            node = node->m_firstChild;
            continue;
        }
        while (node != top && node->m_next == nullptr) {
            node = node->m_parent;
        }
        node = node != top ? node->nextSibling() : nullptr;
    }
    return count;
}

void Tree::adoptBuffer(std::shared_ptr<const std::string> buffer) {
    m_texts.adopt(std::move(buffer));
}

void Tree::releaseBuffers() {
    m_texts.releaseAdopted();
}

Node* Tree::appendChild(Node* parent, std::string_view text, std::int32_t iconIndex) {
    Node* node = allocateNode();
    node->m_iconIndex = iconIndex;
    const std::string_view stored = m_texts.store(text);
    node->m_text = stored.data();
    node->m_textLength = static_cast<std::uint32_t>(stored.size());
    m_textBytes += stored.size();
    return link(parent, node);
}

Node* Tree::appendChildReferencing(Node* parent, std::string_view adoptedText) {
    assert(adoptedText.empty() || m_texts.holds(adoptedText));
    Node* node = allocateNode();
    node->m_text = adoptedText.data();
    node->m_textLength = static_cast<std::uint32_t>(adoptedText.size());
    m_textBytes += adoptedText.size();
    return link(parent, node);
}

Node* Tree::appendCopy(Node* parent, const Node& source) {
    // Texts are never changed in place, so the copy can share the source's bytes.
    Node* node = allocateNode();
    node->m_text = source.m_text;
    node->m_textLength = source.m_textLength;
    node->m_showsRecord = source.m_showsRecord;
    m_textBytes += source.m_textLength;
    node->m_iconIndex = source.m_iconIndex;
    return link(parent, node);
}

Node* Tree::appendSubtreeCopy(Node* parent, const Node* source) {
    // A copy into the source's own subtree would never end; every caller refuses it first.
    assert(parent == nullptr || !parent->isWithin(source));
    // One bulk update: views hear of one new child of `parent`, however large the copy.
    BulkUpdate update(*this);
    Node* copy = appendCopy(parent, *source);
    std::vector<Node*> copies{copy};  // copies[d]: the copy at depth d below `source`
    const Node* node = source;
    for (;;) {
        if (node->m_firstChild != nullptr) {
            node = node->m_firstChild;
        } else {
            while (node != source && node->m_next == nullptr) {
                node = node->m_parent;
                copies.pop_back();
            }
            if (node == source) {
                break;
            }
            node = node->m_next;
            copies.pop_back();
        }
        copies.push_back(appendCopy(copies.back(), *node));
    }
    return copy;
}

DetachedRows::~DetachedRows() {
    if (m_first != nullptr) {
        m_tree->destroyDetached(m_first);
    }
}

DetachedRows::DetachedRows(DetachedRows&& other) noexcept
    : m_tree(other.m_tree), m_nodeCount(other.m_nodeCount) {
    m_first = other.release();
}

DetachedRows& DetachedRows::operator=(DetachedRows&& other) noexcept {
    if (this != &other) {
        DetachedRows dropped(std::move(*this));  // frees the rows held so far
        m_tree = other.m_tree;
        m_nodeCount = other.m_nodeCount;
        m_first = other.release();
    }
    return *this;
}

Node* DetachedRows::release() {
    Node* first = m_first;
    m_first = nullptr;
    m_nodeCount = 0;
    return first;
}

void Tree::destroyDetached(Node* detached) {
    m_detached.erase(detached);
    while (detached != nullptr) {
        Node* next = detached->m_next;
        detached->m_next = nullptr;
        freeSubtree(detached);
        detached = next;
    }
    compactTextsIfMostlyDead();
}

void Tree::compactTextsIfMostlyDead() {
    // Texts are never freed one by one: once the texts of no node pass an eighth of the live
    // ones, the live texts move to a fresh store and the old blocks (and any file buffer no node
    // points into any more) go. Each move frees at least that eighth, so its cost is shared
    // among the deletes that made it worthwhile.
    constexpr size_t kSmallestWorthIt = 1 << 20;
    const size_t held = m_texts.heldBytes();
    if (held <= m_textBytes || held - m_textBytes < std::max(kSmallestWorthIt, m_textBytes / 8)) {
        return;
    }
    TextStore compacted;
    auto move = [&](Node* top) {
        const Node* end = nextAfterSubtree(top);
        for (Node* node = top; node != end; node = nextInPreorder(node)) {
            const std::string_view stored = compacted.store(node->storedText());
            node->m_text = stored.data();
        }
    };
    for (Node* top = m_firstTop; top != nullptr; top = top->m_next) {
        move(top);
    }
    for (Node* detached : m_detached) {
        for (Node* top = detached; top != nullptr; top = top->m_next) {
            move(top);
        }
    }
    m_texts.swap(compacted);
    compacted.clear();
    // The freed blocks go back to the system rather than waiting in the allocator.
    platform::returnFreeMemory();
}

void Tree::clear() {
    // A handle still holding detached rows would point into the freed span.
    assert(m_detached.empty());
    tell([](TreeObserver& o) { o.aboutToReset(); });
    m_nodeSpan.release();
    m_nodesMade = 0;
    m_released = nullptr;
    m_texts.clear();
    m_textBytes = 0;
    m_detached.clear();
    m_firstTop = m_lastTop = nullptr;
    m_topCount = 0;
    m_count = 0;
    m_selected = nullptr;
    forgetLookups();
    tell([](TreeObserver& o) { o.resetDone(); });
}

void Tree::takeContentOf(Tree& loaded) {
    assert(m_detached.empty() && loaded.m_detached.empty() && loaded.m_observers.empty());
    tell([](TreeObserver& o) { o.aboutToReset(); });
    // The span moves as it is, so every link between its nodes stays valid.
    m_nodeSpan = std::move(loaded.m_nodeSpan);
    m_nodesMade = std::exchange(loaded.m_nodesMade, 0);
    m_released = std::exchange(loaded.m_released, nullptr);
    m_texts.clear();
    m_texts.swap(loaded.m_texts);
    m_textBytes = std::exchange(loaded.m_textBytes, 0);
    m_firstTop = std::exchange(loaded.m_firstTop, nullptr);
    m_lastTop = std::exchange(loaded.m_lastTop, nullptr);
    m_topCount = std::exchange(loaded.m_topCount, 0);
    m_count = std::exchange(loaded.m_count, 0);
    m_selected = std::exchange(loaded.m_selected, nullptr);
    forgetLookups();
    loaded.forgetLookups();
    tell([](TreeObserver& o) { o.resetDone(); });
}

void Tree::setText(Node* node, std::string_view text) {
    const std::string_view stored = m_texts.store(text);
    m_textBytes += stored.size();
    m_textBytes -= node->m_textLength;
    node->m_text = stored.data();
    node->m_textLength = static_cast<std::uint32_t>(stored.size());
    node->m_showsRecord = 0;
    tell([&](TreeObserver& o) { o.changed(node); });
}

void Tree::showRecord(Node* node) {
    node->m_showsRecord = 1;
    tell([&](TreeObserver& o) { o.changed(node); });
}

}  // namespace quorvia::model
