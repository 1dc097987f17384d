#include "editing/PastedRecords.h"

namespace quorvia::editing {

PastedRecords::PastedRecords(model::PairedTrees& trees, model::Node* target)
    : m_trees(trees), m_step(trees), m_edit(std::in_place, trees), m_path{trees.pairOf(target)} {}

void PastedRecords::append(size_t level, std::string_view record) {
    model::decodeRecord(record, m_decoded);
    m_path.resize(level + 1);
    m_path.push_back(
        m_trees.appendPair(m_path.back(), m_decoded.displayText, m_decoded.iconIndex, record));
    if (!m_first) {
        m_first = m_path.back();
    }
}

void PastedRecords::showFirst() {
    m_edit.reset();
    // As an added node is: shown and selected, the first of the paste standing for the rest.
    m_trees.showPair(m_first);
}

}  // namespace quorvia::editing
