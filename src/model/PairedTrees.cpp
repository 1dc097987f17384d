#include "model/PairedTrees.h"

#include <algorithm>
#include <utility>

namespace quorvia::model {

namespace {

// The rows that turn new orders back: in each parent's slice, the old row of the node now at
// position i becomes i.
std::vector<int> invertedOrders(const Tree& tree, const std::vector<NodePair>& parents,
                                const std::vector<int>& rows) {
    std::vector<int> inverted(rows.size());
    size_t first = 0;
    for (const NodePair& parent : parents) {
        const size_t count = static_cast<size_t>(tree.childCountOf(parent.display));
        for (size_t at = 0; at < count; ++at) {
            inverted[first + static_cast<size_t>(rows[first + at])] = static_cast<int>(at);
        }
        first += count;
    }
    return inverted;
}

}  // namespace

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
    forgetHistoryUnlessRecording();
    NodePair pair;
    pair.display = m_display.appendChild(parent.display, displayText, iconIndex);
    pair.record = m_records.appendChild(parent.record, record);
    if (isRecording()) {
        recordInsertion(parent, pair.display->row());
    }
    return pair;
}

void PairedTrees::setPair(const NodePair& pair, std::string_view displayText,
                          std::int32_t iconIndex, std::string_view record) {
    forgetHistoryUnlessRecording();
    if (isRecording()) {
        Edit edit;
        edit.kind = Edit::Kind::Changed;
        edit.node = pair;
        edit.displayText = pair.display->text();
        edit.iconIndex = pair.display->iconIndex();
        edit.record = pair.record->text();
        m_openStep.push_back(std::move(edit));
    }
    writePair(pair, displayText, iconIndex, record);
}

void PairedTrees::writePair(const NodePair& pair, std::string_view displayText,
                            std::int32_t iconIndex, std::string_view record) {
    m_display.setText(pair.display, displayText);
    m_display.setIconIndex(pair.display, iconIndex);
    m_records.setText(pair.record, record);
}

void PairedTrees::removePair(const NodePair& pair) {
    forgetHistoryUnlessRecording();
    if (!isRecording()) {
        m_display.removeSubtree(pair.display);
        m_records.removeSubtree(pair.record);
        return;
    }
    Edit edit;
    edit.kind = Edit::Kind::Inserted;
    edit.parent = {pair.display->parent(), pair.record->parent()};
    edit.first = edit.last = pair.display->row();
    m_openStep.push_back(edit);
    turnBack(m_openStep.back());
}

NodePair PairedTrees::copySubtree(const NodePair& source, const NodePair& parent) {
    forgetHistoryUnlessRecording();
    const NodePair copy{m_display.appendSubtreeCopy(parent.display, source.display),
                        m_records.appendSubtreeCopy(parent.record, source.record)};
    if (isRecording()) {
        recordInsertion(parent, copy.display->row());
    }
    return copy;
}

NodePair PairedTrees::moveSubtree(const NodePair& source, const NodePair& parent) {
    forgetHistoryUnlessRecording();
    Edit edit = placeOf(source);
    // The move comes first: the views then lay out once, after every state has changed.
    moveBoth(source, parent, {});
    exchangeExpandedStates(source, edit.expanded);
    record(std::move(edit));
    return source;
}

void PairedTrees::movePair(const NodePair& pair, const NodePair& parent, const NodePair& before) {
    forgetHistoryUnlessRecording();
    Edit edit = placeOf(pair);
    moveBoth(pair, parent, before);
    record(std::move(edit));
}

PairedTrees::Edit PairedTrees::placeOf(const NodePair& pair) {
    Edit edit;
    edit.kind = Edit::Kind::Moved;
    edit.node = pair;
    edit.parent = {pair.display->parent(), pair.record->parent()};
    edit.before = {pair.display->nextSibling(), pair.record->nextSibling()};
    return edit;
}

void PairedTrees::record(Edit edit) {
    if (isRecording()) {
        m_openStep.push_back(std::move(edit));
    }
}

void PairedTrees::moveBoth(const NodePair& pair, const NodePair& parent, const NodePair& before) {
    m_display.moveNode(pair.display, parent.display, before.display);
    m_records.moveNode(pair.record, parent.record, before.record);
}

void PairedTrees::exchangeExpandedStates(const NodePair& top, std::vector<bool>& states) {
    const bool collapse = states.empty();
    size_t at = 0;
    forEachPairInSubtree(top, [&](const NodePair& pair) {
        const bool shown = !collapse && states[at];
        const bool kept = !collapse && states[at + 1];
        if (collapse) {
            states.resize(at + 2);
        }
        states[at] = pair.display->isExpanded();
        states[at + 1] = pair.record->isExpanded();
        m_display.setExpanded(pair.display, shown);
        m_records.setExpanded(pair.record, kept);
        at += 2;
    });
}

void PairedTrees::reorderChildren(const std::vector<NodePair>& parents,
                                  const std::vector<int>& rows, const NodePair& shown) {
    forgetHistoryUnlessRecording();
    reorderBoth(parents, rows);
    Edit edit;
    edit.kind = Edit::Kind::Reordered;
    edit.node = shown;
    edit.parents = parents;
    edit.rows = invertedOrders(m_display, parents, rows);
    // A row kept is 4 bytes against a node's 64: sorts count against the history's bound too, or
    // a session of sorts of everything would grow without end.
    constexpr size_t kRowsPerNode = 16;
    edit.heldNodes = static_cast<int>((edit.rows.size() + kRowsPerNode - 1) / kRowsPerNode);
    if (isRecording()) {
        m_heldNodes += edit.heldNodes;
    }
    record(std::move(edit));
}

void PairedTrees::reorderBoth(const std::vector<NodePair>& parents, const std::vector<int>& rows) {
    std::vector<Node*> display;
    std::vector<Node*> records;
    display.reserve(parents.size());
    records.reserve(parents.size());
    for (const NodePair& parent : parents) {
        display.push_back(parent.display);
        records.push_back(parent.record);
    }
    m_display.reorderChildren(display, rows);
    m_records.reorderChildren(records, rows);
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

PairedTrees::Step::Step(PairedTrees& trees) : m_trees(trees) {
    if (m_trees.m_stepDepth++ == 0) {
        // Before a delete shrinks it, so the bound still knows the size the history serves.
        m_trees.m_peakNodes = std::max<long long>(m_trees.m_peakNodes, m_trees.m_display.count());
    }
}

PairedTrees::Step::~Step() {
    if (--m_trees.m_stepDepth == 0) {
        m_trees.endStep();
    }
}

void PairedTrees::forgetHistoryUnlessRecording() {
    if (!isRecording() && (!m_undo.empty() || !m_redo.empty())) {
        clearHistory();
    }
}

void PairedTrees::recordInsertion(const NodePair& parent, int row) {
    if (!m_openStep.empty() && m_openStep.back().kind == Edit::Kind::Inserted) {
        Edit& last = m_openStep.back();
        if (last.parent.display == parent.display && last.last + 1 == row) {
            ++last.last;
            return;
        }
        // Inside rows this step inserted: turning those back takes this along.
        if (parent.display != nullptr &&
            liesWithinRows(parent.display, last.parent.display, last.first, last.last)) {
            return;
        }
    }
    Edit edit;
    edit.parent = parent;
    edit.first = edit.last = row;
    m_openStep.push_back(edit);
}

void PairedTrees::endStep() {
    if (m_openStep.empty()) {
        return;
    }
    releaseAll(m_redo);
    m_undo.push_back(std::move(m_openStep));
    m_openStep.clear();
    keepHistoryBounded();
}

PairedTrees::Edit& PairedTrees::turnBack(Edit& edit) {
    switch (edit.kind) {
        case Edit::Kind::Inserted: {
            int held = 0;
            edit.detached.display =
                m_display.detachRows(edit.parent.display, edit.first, edit.last, held);
            edit.detached.record =
                m_records.detachRows(edit.parent.record, edit.first, edit.last, held);
            edit.heldNodes = held;
            m_heldNodes += held;
            edit.kind = Edit::Kind::Removed;
            break;
        }
        case Edit::Kind::Removed:
            m_display.insertRows(edit.parent.display, edit.first, edit.detached.display);
            m_records.insertRows(edit.parent.record, edit.first, edit.detached.record);
            m_heldNodes -= edit.heldNodes;
            edit.detached = {};
            edit.heldNodes = 0;
            edit.kind = Edit::Kind::Inserted;
            break;
        case Edit::Kind::Changed: {
            const std::string displayText(edit.node.display->text());
            const std::int32_t iconIndex = edit.node.display->iconIndex();
            const std::string record(edit.node.record->text());
            writePair(edit.node, edit.displayText, edit.iconIndex, edit.record);
            edit.displayText = displayText;
            edit.iconIndex = iconIndex;
            edit.record = record;
            break;
        }
        case Edit::Kind::Moved: {
            const Edit here = placeOf(edit.node);
            moveBoth(edit.node, edit.parent, edit.before);
            if (!edit.expanded.empty()) {
                exchangeExpandedStates(edit.node, edit.expanded);
            }
            edit.parent = here.parent;
            edit.before = here.before;
            break;
        }
        case Edit::Kind::Reordered:
            reorderBoth(edit.parents, edit.rows);
            edit.rows = invertedOrders(m_display, edit.parents, edit.rows);
            break;
    }
    return edit;
}

void PairedTrees::showTurnedBack(const Edit& edit) {
    switch (edit.kind) {
        case Edit::Kind::Inserted:
            reveal(m_display.childAt(edit.parent.display, edit.first));
            break;
        case Edit::Kind::Removed:
            if (edit.parent.display != nullptr) {
                reveal(edit.parent.display);
            }
            break;
        case Edit::Kind::Changed:
        case Edit::Kind::Moved:
        case Edit::Kind::Reordered:
            reveal(edit.node.display);
            break;
    }
}

bool PairedTrees::undo() {
    if (m_undo.empty()) {
        return false;
    }
    HistoryStep step = std::move(m_undo.back());
    m_undo.pop_back();
    for (auto edit = step.rbegin(); edit != step.rend(); ++edit) {
        turnBack(*edit);
    }
    showTurnedBack(step.front());
    m_redo.push_back(std::move(step));
    return true;
}

bool PairedTrees::redo() {
    if (m_redo.empty()) {
        return false;
    }
    HistoryStep step = std::move(m_redo.back());
    m_redo.pop_back();
    for (Edit& edit : step) {
        turnBack(edit);
    }
    showTurnedBack(step.back());
    m_undo.push_back(std::move(step));
    return true;
}

void PairedTrees::release(HistoryStep& step) {
    for (Edit& edit : step) {
        if (edit.kind == Edit::Kind::Removed) {
            m_display.destroyDetached(edit.detached.display);
            m_records.destroyDetached(edit.detached.record);
        }
        m_heldNodes -= edit.heldNodes;
    }
    step.clear();
}

void PairedTrees::releaseAll(std::deque<HistoryStep>& steps) {
    for (HistoryStep& step : steps) {
        release(step);
    }
    steps.clear();
}

void PairedTrees::clearHistory() {
    releaseAll(m_undo);
    releaseAll(m_redo);
    release(m_openStep);
    m_peakNodes = 0;
}

void PairedTrees::keepHistoryBounded() {
    // The bound stops a long session from growing the program without end; it is not meant to
    // take undo away, so deletes that shrink the database do not shrink it. The newest step
    // always stays, so the largest delete can still be undone.
    m_peakNodes = std::max<long long>(m_peakNodes, m_display.count());
    const long long budget = std::max(m_peakNodes, kHistoryFloor);
    while (m_undo.size() > kMostSteps || (m_undo.size() > 1 && m_heldNodes > budget)) {
        release(m_undo.front());
        m_undo.pop_front();
    }
}

}  // namespace quorvia::model
