// Find: the next node whose display text matches, in tree order, wrapping once round the whole
// database.
#pragma once

#include <functional>
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

// Finds the next match after the selected node and reveals it (its ancestors expanded, the
// record tree following, selected and shown); false, and nothing changes, when none matches.
bool findAndReveal(model::PairedTrees& trees, const TextMatch& matches);

// Find and Find next: the search the user last asked for, kept between the two, and the warning
// when nothing matches.
class Finder final {
public:
    // Turns the search the user typed into the test of a display text (only the window knows
    // how texts are decoded for the eye).
    using MatchMaker = std::function<TextMatch(const platform::SearchFields&)>;

    explicit Finder(MatchMaker makeMatch);

    // Asks for the text, opening with the last one, then finds it.
    void find(model::PairedTrees& trees, platform::UserPrompts& prompts);
    // Finds the last text again; asks for one when there is none yet.
    void findNext(model::PairedTrees& trees, platform::UserPrompts& prompts);

private:
    void findLast(model::PairedTrees& trees, platform::UserPrompts& prompts) const;

    MatchMaker m_makeMatch;
    platform::SearchFields m_last;
};

}  // namespace quorvia::editing
