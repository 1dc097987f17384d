// Find: the next (or previous) node whose display text matches, in tree order, wrapping once
// round the whole database.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

using TextMatch = std::function<bool(std::string_view displayText)>;

// The first node after `from` (none: from the first node) in pre-order whose display text
// matches, collapsed branches included; the search goes on from the first node and ends with
// `from` itself. nullptr when no node matches.
model::Node* findNext(const model::Tree& display, const model::Node* from,
                      const TextMatch& matches);
// The same backwards: the last match before `from` (none: from the last node), going on from
// the last node.
model::Node* findPrevious(const model::Tree& display, const model::Node* from,
                          const TextMatch& matches);

// Finds the next (or previous) match from the selected node and reveals it (its ancestors
// expanded, the record tree following, selected and shown); false, and nothing changes, when
// none matches.
bool findAndReveal(model::PairedTrees& trees, const TextMatch& matches, bool forward = true);

// What the user is told when no node holds `text`.
std::string notFoundWarning(const std::string& text);

// Find, Find next and Find previous: the search the user last asked for, kept between them,
// and the warning when nothing matches.
class Finder final {
public:
    // Turns the search the user typed into the test of a display text (only the window knows
    // how texts are decoded for the eye).
    using MatchMaker = std::function<TextMatch(const platform::SearchFields&)>;

    explicit Finder(MatchMaker makeMatch);

    // Asks for the text, opening with the last one, then finds it.
    void find(model::PairedTrees& trees, platform::UserPrompts& prompts);
    // Finds the last text again, forwards or backwards; asks for one when there is none yet.
    void findNext(model::PairedTrees& trees, platform::UserPrompts& prompts);
    void findPrevious(model::PairedTrees& trees, platform::UserPrompts& prompts);

private:
    void findAgain(model::PairedTrees& trees, platform::UserPrompts& prompts, bool forward);
    void findLast(model::PairedTrees& trees, platform::UserPrompts& prompts, bool forward) const;

    MatchMaker m_makeMatch;
    platform::SearchFields m_last;
};

}  // namespace quorvia::editing
