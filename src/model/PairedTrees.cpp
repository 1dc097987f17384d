#include "model/PairedTrees.h"

#include <utility>

namespace quorvia::model {

NodePair PairedTrees::pairOf(const Node* displayNode) const {
    if (displayNode == nullptr) {
        return {};
    }
    return {const_cast<Node*>(displayNode),
            m_records.nodeAt(m_display.absoluteIndexOf(displayNode))};
}

NodePair PairedTrees::selectCurrentRecord() {
    const NodePair pair = pairOf(m_display.selected());
    if (pair) {
        m_records.select(pair.record);
    }
    return pair;
}

NodePair PairedTrees::showCurrentRecord() {
    const NodePair pair = selectCurrentRecord();
    if (pair) {
        m_records.makeVisible(pair.record);
    }
    return pair;
}

// ---- edits ----

NodePair PairedTrees::appendPair(const NodePair& parent, std::string_view displayText,
                                 std::int32_t iconIndex, std::string_view record) {
    const NodePair pair{m_display.appendChild(parent.display, displayText, iconIndex),
                        m_records.appendChild(parent.record, record)};
    const int row = pair.display->row();
    m_history.record(edits::Inserted{parent, row, row});
    return pair;
}

void PairedTrees::setPair(const NodePair& pair, std::string_view displayText,
                          std::int32_t iconIndex, std::string_view record) {
    m_history.record(
        edits::Changed::make(m_display, m_records, pair, displayText, iconIndex, record));
}

void PairedTrees::removePair(const NodePair& pair) {
    const int row = pair.display->row();
    m_history.record(edits::Removed::make(
        m_display, m_records, {pair.display->parent(), pair.record->parent()}, row, row));
}

NodePair PairedTrees::copySubtree(const NodePair& source, const NodePair& parent) {
    const NodePair copy{m_display.appendSubtreeCopy(parent.display, source.display),
                        m_records.appendSubtreeCopy(parent.record, source.record)};
    const int row = copy.display->row();
    m_history.record(edits::Inserted{parent, row, row});
    return copy;
}

NodePair PairedTrees::moveSubtree(const NodePair& source, const NodePair& parent) {
    m_history.record(
        edits::Moved::make(m_display, m_records, source, parent, {}, std::vector<bool>()));
    return source;
}

void PairedTrees::movePair(const NodePair& pair, const NodePair& parent, const NodePair& before) {
    m_history.record(edits::Moved::make(m_display, m_records, pair, parent, before));
}

void PairedTrees::reorderChildren(const std::vector<NodePair>& parents,
                                  const std::vector<int>& rows, const NodePair& shown) {
    m_history.record(edits::Reordered::make(m_display, m_records, parents, rows, shown));
}

// ---- expansion and selection ----

void PairedTrees::setExpanded(Node* displayNode, bool expanded) {
    Node* record = pairOf(displayNode).record;
    if (expanded) {
        m_records.setExpanded(record, true);
    } else {
        m_records.collapseSubtree(record);
    }
    m_display.setExpanded(displayNode, expanded);
}

void PairedTrees::expandSubtree(Node* displayNode) {
    const NodePair top = pairOf(displayNode);
    // The partners walk in step: both subtrees have the same shape. The display flags are read
    // before they change.
    const Node* display = top.display;
    m_records.expandSubtree(top.record, [&](const Node&) {
        const bool opens = !display->isExpanded();
        display = Tree::nextInPreorder(display);
        return opens;
    });
    m_display.expandSubtree(top.display, [](const Node&) { return true; });
}

void PairedTrees::takeTreesOf(PairedTrees& loaded) {
    const BulkEdit bulk(*this);
    clearHistory();
    m_records.takeContentOf(loaded.m_records);
    m_display.takeContentOf(loaded.m_display);
}

void PairedTrees::select(Node* displayNode) {
    m_display.select(displayNode);
}

void PairedTrees::showPair(const NodePair& pair) {
    m_display.makeVisible(pair.display);
    m_display.select(pair.display);
    m_records.makeVisible(pair.record);
    m_records.select(pair.record);
}

void PairedTrees::reveal(Node* displayNode) {
    std::vector<Node*> ancestors;
    for (Node* node = displayNode->parent(); node != nullptr; node = node->parent()) {
        if (!node->isExpanded()) {
            ancestors.push_back(node);
        }
    }
    for (auto ancestor = ancestors.rbegin(); ancestor != ancestors.rend(); ++ancestor) {
        setExpanded(*ancestor, true);
    }
    m_display.makeVisible(displayNode);
    m_display.select(displayNode);
}

// ---- history ----

bool PairedTrees::undo() {
    return revealTurnedBack(m_history.undo());
}

bool PairedTrees::redo() {
    return revealTurnedBack(m_history.redo());
}

bool PairedTrees::revealTurnedBack(std::optional<Node*> shown) {
    if (!shown) {
        return false;
    }
    if (*shown != nullptr) {
        reveal(*shown);
    }
    return true;
}

}  // namespace quorvia::model
