// The history of the changes made to the two trees, for undo and redo: one step per command,
// each the edits that command made, and the bound that keeps a long session from growing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/NodePair.h"
#include "model/Tree.h"

namespace quorvia::model {

// The kinds of edit the history keeps, each with what it needs to be turned back. Turning an
// edit back makes the opposite change in both trees and returns the edit that turns that back in
// its turn, ready for redo. `make` makes the change a command asks for and returns its edit.
namespace edits {

struct Removed;

// Rows first..last of `parent` were inserted.
struct Inserted {
    NodePair parent;
    int first = 0;
    int last = 0;

    Removed turnBack(Tree& display, Tree& records);
};

// Rows first..last of `parent` were taken out. They are kept whole in both trees (never copied),
// so that turning it back puts the very nodes back.
struct Removed {
    NodePair parent;
    int first = 0;
    int last = 0;
    DetachedRows displayRows;
    DetachedRows recordRows;

    // Takes rows first..last of `parent` out of both trees.
    static Removed make(Tree& display, Tree& records, const NodePair& parent, int first, int last);
    Inserted turnBack(Tree& display, Tree& records);
};

// A pair's texts were replaced; it had these.
struct Changed {
    NodePair pair;
    std::string displayText;
    std::int32_t iconIndex = 0;
    std::string record;

    static Changed make(Tree& display, Tree& records, const NodePair& pair,
                        std::string_view displayText, std::int32_t iconIndex,
                        std::string_view record);
    Changed turnBack(Tree& display, Tree& records);
};

// A pair was moved with its subtree; it goes back in front of `before` among the children of
// `parent`. When `expanded` is not empty, its subtree gets back these expanded states there,
// per node in pre-order the display node's and then the record's.
struct Moved {
    NodePair pair;
    NodePair parent;
    NodePair before;
    std::vector<bool> expanded;

    // Moves the pair in front of `before` (none: to the end) among the children of `parent`.
    // Every node keeps its expanded state, unless `states` are given: then the subtree takes
    // those (none: every node collapsed) and the move back gets the ones it had.
    static Moved make(Tree& display, Tree& records, const NodePair& pair, const NodePair& parent,
                      const NodePair& before,
                      std::optional<std::vector<bool>> states = std::nullopt);
    Moved turnBack(Tree& display, Tree& records);
};

// The children of each of `parents` were given a new order; `rows` holds, parent after parent,
// the old rows that turn it back. `shown` is the pair undo and redo show.
struct Reordered {
    std::vector<NodePair> parents;
    std::vector<int> rows;
    NodePair shown;

    // `rows` holds, parent after parent, the old rows of its children in their new order.
    static Reordered make(Tree& display, Tree& records, std::vector<NodePair> parents,
                          const std::vector<int>& rows, const NodePair& shown);
    Reordered turnBack(Tree& display, Tree& records);
};

}  // namespace edits

using Edit =
    std::variant<edits::Inserted, edits::Removed, edits::Changed, edits::Moved, edits::Reordered>;

class History final {
public:
    // The history of these trees, which stay the caller's; they must outlive it.
    History(Tree& display, Tree& records) : m_display(display), m_records(records) {}
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // The edits made while a Step lives form one step of the history, however the command
    // ends; steps nest, the outermost counts.
    class Step final {
    public:
        explicit Step(History& history);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        History& m_history;  // not owned
    };

    // Keeps an edit just made, in the open step; rows inserted next to the ones inserted just
    // before join them. Every edit belongs to a step: one made outside any is a programming
    // error, which the debug build stops at (elsewhere it becomes a step of its own).
    void record(Edit edit);

    // Up to this many steps are kept. The oldest go only when the nodes the history holds pass
    // the larger of kHistoryFloor and the most nodes the database has held since it was loaded
    // (deleted branches count, however small the database), so a large one keeps about its size
    // again.
    static constexpr size_t kMostSteps = 1000;
    static constexpr long long kHistoryFloor = 200'000;

    // Turns the last step back (or makes the last undone step again); returns the display node
    // to show for it (nullptr: none), or nothing when there is no step.
    std::optional<Node*> undo();
    std::optional<Node*> redo();
    void clear();
    size_t undoSteps() const { return m_undo.size(); }

private:
    using HistoryStep = std::vector<Edit>;

    bool joinsLastInsertion(const edits::Inserted& rows);
    void endStep();
    void turnBack(Edit& edit);
    Node* shownAfter(const Edit& edit) const;
    void release(HistoryStep& step);
    void releaseAll(std::deque<HistoryStep>& steps);
    void keepBounded();

    Tree& m_display;  // not owned
    Tree& m_records;  // not owned

    int m_stepDepth = 0;
    // Not owned: the node of the last rows recorded inserted, which lies within the open step's
    // last Inserted edit while that is its last edit.
    const Node* m_lastInserted = nullptr;
    // Owned, step by step: the edits and the detached rows they hold.
    HistoryStep m_openStep;
    std::deque<HistoryStep> m_undo;  // oldest first
    std::deque<HistoryStep> m_redo;  // the next to redo last
    long long m_heldNodes = 0;       // nodes of one tree that the history keeps
    long long m_peakNodes = 0;       // the most nodes the database held since the history began
};

}  // namespace quorvia::model
