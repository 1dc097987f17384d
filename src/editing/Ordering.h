// Putting siblings in order by hand: Move up, Move down, Sort children and Sort all below. Each
// is one step of the history; the node stays selected and in view, and every node keeps its
// expanded state.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "model/PairedTrees.h"

namespace quorvia::editing {

// How display texts sort, as the window knows them from the user's locale: the positions of
// `texts` in sorted order, equal texts in the order they came.
using TextOrder = std::function<std::vector<int>(const std::vector<std::string_view>& texts)>;

// The selected node changes places with its previous (next) sibling in both trees, with its
// subtree. A first (last) child stays where it is, and nothing is shown. The root (the first
// top-level node) never moves and no node moves above it; other top-level nodes move below it.
void moveUp(model::PairedTrees& trees);
void moveDown(model::PairedTrees& trees);

// Sorts the selected node's children by their display texts, objects and attributes together;
// a node without children stays as it is.
void sortChildren(model::PairedTrees& trees, const TextOrder& order);
// The same for the selected node and every node below it.
void sortAllBelow(model::PairedTrees& trees, const TextOrder& order);

}  // namespace quorvia::editing
