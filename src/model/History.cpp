#include "model/History.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace quorvia::model {

namespace {

// A row kept is 4 bytes against a node's 64: reorders count against the bound too, or a session
// of sorts of everything would grow without end.
constexpr size_t kRowsPerNode = 16;

// Nodes of one tree that an edit holds, in nodes' worth.
long long heldNodes(const Edit& edit) {
    if (const auto* removed = std::get_if<edits::Removed>(&edit)) {
        return removed->displayRows.nodeCount();
    }
    if (const auto* reordered = std::get_if<edits::Reordered>(&edit)) {
        return static_cast<long long>((reordered->rows.size() + kRowsPerNode - 1) / kRowsPerNode);
    }
    return 0;
}

// Gives the subtree of `top`, in both trees, the expanded states `states` holds (empty: every
// node collapsed); returns the ones it had.
std::vector<bool> exchangeExpandedStates(Tree& display, Tree& records, const NodePair& top,
                                         const std::vector<bool>& states) {
    const bool collapse = states.empty();
    std::vector<bool> had;
    had.reserve(states.size());
    size_t at = 0;
    forEachPairInSubtree(top, [&](const NodePair& pair) {
        had.push_back(pair.display->isExpanded());
        had.push_back(pair.record->isExpanded());
        display.setExpanded(pair.display, !collapse && states[at]);
        records.setExpanded(pair.record, !collapse && states[at + 1]);
        at += 2;
    });
    return had;
}

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

// ---- the edits ----

namespace edits {

Removed Inserted::turnBack(Tree& display, Tree& records) {
    return Removed::make(display, records, parent, first, last);
}

Removed Removed::make(Tree& display, Tree& records, const NodePair& parent, int first, int last) {
    return Removed{parent, first, last, display.detachRows(parent.display, first, last),
                   records.detachRows(parent.record, first, last)};
}

Inserted Removed::turnBack(Tree& display, Tree& records) {
    display.insertRows(parent.display, first, std::move(displayRows));
    records.insertRows(parent.record, first, std::move(recordRows));
    return {parent, first, last};
}

Changed Changed::make(Tree& display, Tree& records, const NodePair& pair,
                      std::string_view displayText, std::int32_t iconIndex,
                      std::string_view record) {
    Changed back{pair, pair.display->shownText(), pair.display->iconIndex(),
                 std::string(pair.record->text())};
    display.setText(pair.display, displayText);
    display.setIconIndex(pair.display, iconIndex);
    records.setText(pair.record, record);
    return back;
}

Changed Changed::turnBack(Tree& display, Tree& records) {
    return make(display, records, pair, displayText, iconIndex, record);
}

Moved Moved::make(Tree& display, Tree& records, const NodePair& pair, const NodePair& parent,
                  const NodePair& before, std::optional<std::vector<bool>> states) {
    Moved back{pair,
               {pair.display->parent(), pair.record->parent()},
               {pair.display->nextSibling(), pair.record->nextSibling()},
               {}};
    // The move comes first: the views then lay out once, after every state has changed.
    display.moveNode(pair.display, parent.display, before.display);
    records.moveNode(pair.record, parent.record, before.record);
    if (states) {
        back.expanded = exchangeExpandedStates(display, records, pair, *states);
    }
    return back;
}

Moved Moved::turnBack(Tree& display, Tree& records) {
    std::optional<std::vector<bool>> states;
    if (!expanded.empty()) {
        states = std::move(expanded);
    }
    return make(display, records, pair, parent, before, std::move(states));
}

Reordered Reordered::make(Tree& display, Tree& records, std::vector<NodePair> parents,
                          const std::vector<int>& rows, const NodePair& shown) {
    std::vector<Node*> displayParents;
    std::vector<Node*> recordParents;
    displayParents.reserve(parents.size());
    recordParents.reserve(parents.size());
    for (const NodePair& parent : parents) {
        displayParents.push_back(parent.display);
        recordParents.push_back(parent.record);
    }
    display.reorderChildren(displayParents, rows);
    records.reorderChildren(recordParents, rows);
    std::vector<int> back = invertedOrders(display, parents, rows);
    return Reordered{std::move(parents), std::move(back), shown};
}

Reordered Reordered::turnBack(Tree& display, Tree& records) {
    return make(display, records, std::move(parents), rows, shown);
}

}  // namespace edits

// ---- steps ----

History::Step::Step(History& history) : m_history(history) {
    if (m_history.m_stepDepth++ == 0) {
        // Before a delete shrinks it, so the bound still knows the size the history serves.
        m_history.m_peakNodes =
            std::max<long long>(m_history.m_peakNodes, m_history.m_display.count());
    }
}

History::Step::~Step() {
    if (--m_history.m_stepDepth == 0) {
        m_history.endStep();
    }
}

void History::record(Edit edit) {
    assert(m_stepDepth > 0 && "an edit of the trees made outside a step");
    if (const auto* rows = std::get_if<edits::Inserted>(&edit)) {
        const bool joins = joinsLastInsertion(*rows);
        m_lastInserted = m_display.childAt(rows->parent.display, rows->last);
        if (joins) {
            return;
        }
    }
    m_heldNodes += heldNodes(edit);
    m_openStep.push_back(std::move(edit));
    if (m_stepDepth == 0) {
        endStep();
    }
}

bool History::joinsLastInsertion(const edits::Inserted& rows) {
    auto* last = m_openStep.empty() ? nullptr : std::get_if<edits::Inserted>(&m_openStep.back());
    bool joins = false;
    if (last != nullptr && last->parent.display == rows.parent.display &&
        last->last + 1 == rows.first) {
        last->last = rows.last;
        joins = true;
    } else if (last != nullptr && rows.parent.display != nullptr) {
        // Inside rows this step inserted: turning those back takes these along. A branch built
        // node below node finds its parent at once, without a walk up a million ancestors.
        joins = rows.parent.display == m_lastInserted ||
                liesWithinRows(rows.parent.display, last->parent.display, last->first, last->last);
    }
    return joins;
}

void History::endStep() {
    if (m_openStep.empty()) {
        return;
    }
    releaseAll(m_redo);
    m_undo.push_back(std::move(m_openStep));
    m_openStep.clear();
    keepBounded();
}

// ---- undo and redo ----

void History::turnBack(Edit& edit) {
    m_heldNodes -= heldNodes(edit);
    edit =
        std::visit([&](auto& made) -> Edit { return made.turnBack(m_display, m_records); }, edit);
    m_heldNodes += heldNodes(edit);
}

Node* History::shownAfter(const Edit& edit) const {
    if (const auto* rows = std::get_if<edits::Inserted>(&edit)) {
        return m_display.childAt(rows->parent.display, rows->first);
    }
    if (const auto* rows = std::get_if<edits::Removed>(&edit)) {
        return rows->parent.display;
    }
    if (const auto* change = std::get_if<edits::Changed>(&edit)) {
        return change->pair.display;
    }
    if (const auto* move = std::get_if<edits::Moved>(&edit)) {
        return move->pair.display;
    }
    return std::get<edits::Reordered>(edit).shown.display;
}

std::optional<Node*> History::undo() {
    if (m_undo.empty()) {
        return std::nullopt;
    }
    HistoryStep step = std::move(m_undo.back());
    m_undo.pop_back();
    for (auto edit = step.rbegin(); edit != step.rend(); ++edit) {
        turnBack(*edit);
    }
    Node* shown = shownAfter(step.front());
    m_redo.push_back(std::move(step));
    return shown;
}

std::optional<Node*> History::redo() {
    if (m_redo.empty()) {
        return std::nullopt;
    }
    HistoryStep step = std::move(m_redo.back());
    m_redo.pop_back();
    for (Edit& edit : step) {
        turnBack(edit);
    }
    Node* shown = shownAfter(step.back());
    m_undo.push_back(std::move(step));
    return shown;
}

// ---- the bound ----

void History::release(HistoryStep& step) {
    for (const Edit& edit : step) {
        m_heldNodes -= heldNodes(edit);
    }
    step.clear();  // detached rows are freed with their edits
}

void History::releaseAll(std::deque<HistoryStep>& steps) {
    for (HistoryStep& step : steps) {
        release(step);
    }
    steps.clear();
}

void History::clear() {
    releaseAll(m_undo);
    releaseAll(m_redo);
    release(m_openStep);
    m_peakNodes = 0;
}

void History::keepBounded() {
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
