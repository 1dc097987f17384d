// Find: the next node whose display text matches, in tree order, wrapping once round the whole
// database.
#pragma once

#include <functional>
#include <string_view>

#include "model/PairedTrees.h"

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

}  // namespace quorvia::editing
