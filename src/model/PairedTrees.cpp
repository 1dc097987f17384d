#include "model/PairedTrees.h"

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

NodePair PairedTrees::appendPair(const NodePair& parent, std::string_view displayText,
                                 std::int32_t iconIndex, std::string_view record) {
    NodePair pair;
    pair.display = m_display.appendChild(parent.display, displayText, iconIndex);
    pair.record = m_records.appendChild(parent.record, record);
    return pair;
}

void PairedTrees::setPair(const NodePair& pair, std::string_view displayText,
                          std::int32_t iconIndex, std::string_view record) {
    m_display.setText(pair.display, displayText);
    m_display.setIconIndex(pair.display, iconIndex);
    m_records.setText(pair.record, record);
}

void PairedTrees::removePair(const NodePair& pair) {
    m_display.removeSubtree(pair.display);
    m_records.removeSubtree(pair.record);
}

NodePair PairedTrees::copySubtree(const NodePair& source, const NodePair& parent) {
    return {m_display.appendSubtreeCopy(parent.display, source.display),
            m_records.appendSubtreeCopy(parent.record, source.record)};
}

NodePair PairedTrees::moveSubtree(const NodePair& source, const NodePair& parent) {
    const NodePair copy = copySubtree(source, parent);
    m_records.removeSubtree(source.record);
    m_display.removeSubtree(source.display);
    return copy;
}

void PairedTrees::setExpanded(Node* displayNode, bool expanded) {
    Node* record = pairOf(displayNode).record;
    if (expanded) {
        m_records.setExpanded(record, true);
    } else {
        m_records.collapseSubtree(record);
    }
    m_display.setExpanded(displayNode, expanded);
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

}  // namespace quorvia::model
